// vfdctl's commands: the arguments in, lines out, and the exit status back.
#pragma once

#include "link_services.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace pds::cli {

// `arguments` starts with the program's name, as main() gets it. Each port's thread gets its
// serial port, clock and calendar from `link_services`.
int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
        const MakeLinkServices& link_services);

// For a signal that ends the program while run() works: the document --json owes its reader,
// with `status` and `message`; nothing without --json or once run() has printed its own.
std::optional<std::string> interruption_document(int status, const std::string& message);

} // namespace pds::cli
