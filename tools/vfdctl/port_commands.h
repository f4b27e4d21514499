// vfdctl ports and find: plain values in, the report lines and the JSON document out, so that
// they stay the same however the arguments are parsed.
#pragma once

#include "commands/find_display.h"
#include "link_services.h"
#include "result_document.h"
#include "services/port_list.h"

#include <string>
#include <vector>

namespace pds::cli {

struct PortCommandResult {
    int status = 0;
    std::vector<std::string> lines; // one a port, then for find one that sums up
    std::string message;            // what it came to, for the document's "message"
    Document ports;                 // the --json document's "ports"
};

// The ports the system lists, one line each.
PortCommandResult list_ports(const std::vector<SystemPort>& listed);

// Probes every port at once, each on a thread of its own with a port and clock of its own, and
// gives back the probes in the order of the ports.
std::vector<PortProbe> probe_every_port(const std::vector<PortChoice>& ports,
                                        const MakeLinkServices& link_services);

// One line a port: at which speed a display answered, with its code page, command set and
// first welcome line, or no display. Status 0 when a display answered, 5 when none did.
PortCommandResult find_report(const std::vector<std::string>& names,
                              const std::vector<PortProbe>& probes);

} // namespace pds::cli
