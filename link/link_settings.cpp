#include "link/link_settings.h"

namespace pds {

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
