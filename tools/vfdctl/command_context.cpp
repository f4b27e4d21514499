#include "command_context.h"

#include "exit_codes.h"
#include "inspect/describe.h"
#include "option_rules.h"

namespace pds::cli {

int usage(Output& output, const std::string& problem) {
    output.error("vfdctl: " + problem);
    output.error("Try \"vfdctl --help\".");
    return exit_bad_arguments;
}

int bad_file(Output& output, const std::string& problem) {
    output.error("vfdctl: " + problem);
    return exit_bad_file;
}

PortTarget target(const Arguments& arguments, const std::string& port) {
    return {escaped_text(port), port_choice(port), *speeds(arguments.baud)};
}

std::vector<PortTarget> targets(const Arguments& arguments) {
    std::vector<PortTarget> all;
    for (const auto& port : arguments.ports)
        all.push_back(target(arguments, port));
    return all;
}

void report_port(Output& output, const std::string& port, const Report& report) {
    if (report.code == exit_success) {
        output.say(port + ": " + report.result);
        for (const auto& line : report.details)
            output.say(port + ":   " + line);
        return;
    }
    output.error(port + ": " + report.result);
    for (const auto& line : report.details)
        output.error(port + ":   " + line);
}

int first_failure(const std::vector<int>& codes) {
    for (int code : codes)
        if (code != exit_success)
            return code;
    return exit_success;
}

Document read_result(const std::string& port, const Reading& reading) {
    Document result = port_result(port, reading.report);
    result["outcome"] = reading.image ? "read" : "failed";
    if (reading.image)
        result["configuration"] = configuration(*reading.image);
    return result;
}

std::string summed_up(const std::vector<PortTarget>& all, const Report& first) {
    if (all.size() == 1)
        return all[0].name + ": " + first.result;
    return "all " + std::to_string(all.size()) + " ports succeeded";
}

} // namespace pds::cli
