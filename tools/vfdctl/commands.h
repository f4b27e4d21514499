// vfdctl's commands: the arguments in, lines out, and the exit status back.
#pragma once

#include "link_services.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace pds::cli {

// `arguments` starts with the program's name, as main() gets it. Each port's thread gets its
// serial port, clock and calendar from `link_services`, or in a run that opens every port at
// once from what `link_services_for_one_run` makes for it; `listed_ports` gives the ports the
// system reports.
int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
        const MakeLinkServices& link_services, const MakeRunLinkServices& link_services_for_one_run,
        const ListPorts& listed_ports, const MakePortExaminer& port_examiner);

// What to print for a signal that ends the program while run() works: a line for standard
// error, or with --json the document its reader is owed instead (with each port's outcome as
// far as it got), or nothing once run() has printed its own. `status` is the one the program
// ends with, `signal_name` e.g. "SIGTERM".
struct Interruption {
    std::string error;                   // empty with --json
    std::optional<std::string> document; // with --json, unless run() printed its own
};
Interruption interruption(int status, const std::string& signal_name);

} // namespace pds::cli
