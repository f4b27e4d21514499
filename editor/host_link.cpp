#include "editor/host_link.h"

namespace pds {

LinkSettings take_link_settings(const EditorModel& model) {
    LinkSettings link;
    link.port.number = model.host_port.index + 1;
    // Typed text is kept so a device such as /dev/ttyUSB0 or COM12 can be opened by name.
    if (link.port.number == 0)
        link.port.typed = model.host_port.text();
    link.line_settings = model.host_line.text();
    return link;
}

} // namespace pds
