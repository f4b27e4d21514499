#include "link/link_settings.h"

#include "link/serial_line.h"

namespace pds {

void configure_port(SerialPort& port, const LinkSettings& link) {
    port.set_port(link.port);
    if (const ParsedSettings parsed = parse_line_settings(link.line_settings); parsed.settings)
        port.set_settings(*parsed.settings);
}

std::optional<PortFailure> open_port(SerialPort& port, const LinkSettings& link) {
    const ParsedSettings parsed = parse_line_settings(link.line_settings);
    if (parsed.settings)
        return open_port(port, link.port, *parsed.settings);

    port.set_port(link.port);
    const PortDevice target = port.find_device();
    port.close();
    if (!target.device)
        return PortFailure{PortFailure::Kind::NoSuchPort, {}, target.reason};
    return PortFailure{PortFailure::Kind::BadSettings, *target.device, parsed.reason};
}

std::optional<PortFailure> open_port(SerialPort& port, const PortChoice& choice,
                                     const LineSettings& line) {
    port.set_port(choice);
    port.set_settings(line);
    auto failure = port.open();
    if (failure)
        port.close();
    return failure;
}

} // namespace pds
