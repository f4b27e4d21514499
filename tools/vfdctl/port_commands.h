// vfdctl ports and find: plain values in, the report lines and the JSON document out, so that
// they stay the same however the arguments are parsed.
#pragma once

#include "commands/find_display.h"
#include "services/clock.h"
#include "services/port_list.h"
#include "services/serial_port.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace pds::cli {

struct PortCommandResult {
    int status = 0;
    std::vector<std::string> lines; // one a port, then for find one that sums up
    nlohmann::json document;        // the --json document, but for its elapsed_ms
};

// The ports the system lists, one line each.
PortCommandResult list_ports(const std::vector<SystemPort>& listed);

// Probes every port at once, each on a thread of its own with a port of its own, and gives
// back the probes in the order of the ports.
std::vector<PortProbe>
probe_every_port(const std::vector<PortChoice>& ports,
                 const std::function<std::unique_ptr<SerialPort>()>& make_port, Clock& clock);

// One line a port: at which speed a display answered, with its code page, command set and
// first welcome line, or no display. Status 0 when a display answered, 5 when none did.
PortCommandResult find_report(const std::vector<std::string>& names,
                              const std::vector<PortProbe>& probes);

// What --help says of the two commands.
extern const char* const port_commands_help;

// Runs "ports" or "find" with the system's ports and serial adapter, and prints the lines or,
// with `json`, the document. `ports` are the --port values (find); none means every listed
// port. Gives back the exit status.
int run_port_command(const std::string& command, const std::vector<std::string>& ports, bool json,
                     bool quiet, std::ostream& out, std::ostream& err);

} // namespace pds::cli
