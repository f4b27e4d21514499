// vfdctl doctor: each port's findings in, the report lines and the JSON document out.
#pragma once

#include "commands/find_display.h"
#include "diagnosis/port_findings.h"
#include "port_commands.h"

#include <optional>
#include <string>
#include <vector>

namespace pds::cli {

struct ExaminedPort {
    std::string port; // as given
    PortFacts facts;
    std::vector<Finding> findings;
};

// What a probe of find came to, as a finding of the line; `given_speed` is the one speed the
// user asked for, if only one.
LineCheck line_check(const PortProbe& probe, std::optional<int> given_speed);

// For each port a line that says whether it can be used, then one a finding, each with its
// fix below it; then one that sums up. Status 0 when every port is usable, 4 otherwise.
PortCommandResult doctor_report(const std::vector<ExaminedPort>& ports);

} // namespace pds::cli
