// What the operator is told when the chosen port cannot be configured or opened.
#pragma once

#include "services/serial_port.h"

#include <string>

namespace pds {

// Names the port as chosen (the text of Comm), the device it maps to where that differs, and
// the system's reason, with a hint at the usual remedy for the kind of failure; each once.
// What the line that never fell quiet is said to be, wherever it is reported.
inline constexpr const char* never_quiet_words =
    "the line never fell quiet: something keeps sending on it";

// The failure of an open port whose line never fell quiet.
PortFailure never_quiet_failure(SerialPort& port);

// "another program is using this port", and which one where the system shows it.
std::string in_use_words(const PortFailure& failure);

std::string port_failure_message(const std::string& comm_text, const std::string& line_settings,
                                 const PortFailure& failure);

} // namespace pds
