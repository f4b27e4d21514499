// What the operator is told when the chosen port cannot be configured or opened.
#pragma once

#include "services/serial_port.h"

#include <string>

namespace pds {

// Names the port as chosen (the text of Comm), the device it maps to where that differs, and
// the system's reason, with a hint at the usual remedy for the kind of failure; each once.
std::string port_failure_message(const std::string& comm_text, const std::string& line_settings,
                                 const PortFailure& failure);

} // namespace pds
