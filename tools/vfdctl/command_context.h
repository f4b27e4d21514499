// What a command's body works with, and the steps the bodies share.
#pragma once

#include "arguments.h"
#include "command_output.h"
#include "display_jobs.h"
#include "link_services.h"
#include "result_document.h"

#include <string>
#include <vector>

namespace pds::cli {

struct CommandContext {
    const Arguments& arguments;
    Output& output;
    const MakeLinkServices& link_services;
    const MakeRunLinkServices& link_services_for_one_run;
    const ListPorts& listed_ports;
    const MakePortExaminer& port_examiner;
    Document extra = Document::object(); // the command's own keys of the document
    std::string success{};               // the document's message when all went well
};

// Says what is wrong with the command line; the status for it.
int usage(Output& output, const std::string& problem);

// Says what is wrong with a file; the status for it.
int bad_file(Output& output, const std::string& problem);

// A port as given, with the speeds --baud asks for.
PortTarget target(const Arguments& arguments, const std::string& port);

// Every --port.
std::vector<PortTarget> targets(const Arguments& arguments);

// A port's result line and the lines below it, as a success or as an error.
void report_port(Output& output, const std::string& port, const Report& report);

int first_failure(const std::vector<int>& codes);

// A port that was read: "read" with the configuration when it answered, else "failed".
Document read_result(const std::string& port, const Reading& reading);

// The document's message when every port succeeded: the one port's line, or how many.
std::string summed_up(const std::vector<PortTarget>& all, const Report& first);

} // namespace pds::cli
