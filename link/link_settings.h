// Which port and line settings a transfer uses, and opening the port with them.
#pragma once

#include "services/serial_port.h"

#include <optional>
#include <string>

namespace pds {

struct LinkSettings {
    PortChoice port;           // "Com N" gives N; typed text that names no entry gives 0
    std::string line_settings; // as the operator gave them, e.g. "9600,n,8,1"
};

// Chooses the port and, when the text is valid, its line format, without opening it.
void configure_port(SerialPort& port, const LinkSettings& link);

// Configures the port afresh and opens it. A choice that names no device is reported first,
// then line settings text that does not parse; neither touches a device. On failure the port
// is left closed.
std::optional<PortFailure> open_port(SerialPort& port, const LinkSettings& link);

// The same with settings already known to be well formed.
std::optional<PortFailure> open_port(SerialPort& port, const PortChoice& choice,
                                     const LineSettings& line);

} // namespace pds
