// The port check's word on a port the window could not use, for the boxes that say so.
#pragma once

#include "services/port_facts.h"

#include <string>

namespace pds {

// "Check: alice is not in the group dialout.\nFix: sudo usermod ..." for the first problem
// the check finds with `device`; empty when it finds none.
std::string checkup_lines(PortExaminer& examiner, const std::string& device);

// `message` with those lines below it, when there are any.
std::string with_checkup(const std::string& message, PortExaminer& examiner,
                         const std::string& device);

// The same on one line, for a list of ports: "alice is not in the group dialout; fix: ...".
std::string checkup_line(PortExaminer& examiner, const std::string& device);

} // namespace pds
