#include "link/link_settings.h"

namespace pds {

LinkSettings take_link_settings(const EditorModel& model) {
    LinkSettings link;
    link.port.number = model.Comm.index + 1;
    // Typed text is kept so a device such as /dev/ttyUSB0 or COM12 can be opened by name.
    if (link.port.number == 0)
        link.port.typed = model.Comm.text();
    link.line_settings = model.Baud.text();
    return link;
}

void configure_port(SerialPort& port, const LinkSettings& link) {
    port.set_port(link.port);
    port.set_settings(link.line_settings);
}

std::optional<PortFailure> open_port(SerialPort& port, const LinkSettings& link) {
    configure_port(port, link);
    auto failure = port.open();
    if (failure)
        port.close();
    return failure;
}

} // namespace pds
