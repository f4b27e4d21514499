// Which port and line settings a transfer uses, taken from Comm and Baud when it starts.
#pragma once

#include "editor/editor_model.h"
#include "platform/serial_port.h"

#include <optional>
#include <string>

namespace pds {

struct LinkSettings {
    PortChoice port;           // "Com N" gives N; typed text that names no entry gives 0
    std::string line_settings; // the text of Baud, e.g. "9600,n,8,1"
};

LinkSettings take_link_settings(const EditorModel& model);

// Chooses the port and its line format without opening it.
void configure_port(SerialPort& port, const LinkSettings& link);

// Configures the port afresh and opens it. On failure the port is left closed.
std::optional<PortFailure> open_port(SerialPort& port, const LinkSettings& link);

} // namespace pds
