// read, write, show and diff: the commands that read or write displays, each port at once.
#include "command_bodies.h"
#include "every_port.h"
#include "exit_codes.h"
#include "file/file_check.h"
#include "inspect/describe.h"
#include "option_rules.h"
#include "preview_text.h"
#include "settings_files.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace pds::cli {

namespace {

const char* const port_prefix = "port:";

// Description lines of a display carry its name when there are several.
std::string from_port(const Arguments& arguments, const std::string& port,
                      const std::string& line) {
    return arguments.ports.size() > 1 ? port + ": " + line : line;
}

std::vector<std::string> shown(const Arguments& arguments, const ImageBytes& image) {
    if (!arguments.preview)
        return describe_image(image);
    return preview_text(image, arguments.ascii ? DotStyle::Ascii : DotStyle::Braille);
}

} // namespace

int read_displays(CommandContext& context) {
    const Arguments& arguments = context.arguments;
    Output& output = context.output;
    const auto& outputs = arguments.outputs;
    const auto all = targets(arguments);
    const auto readings = on_every_port(context.link_services, all, read_display);
    std::vector<int> codes;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const auto& port = all[i].name;
        Reading reading = readings[i];
        bool saved = false;
        if (reading.image) {
            const std::string& path = outputs[i];
            if (const auto failure = save_settings(path, *reading.image, output.out)) {
                reading.report = {exit_bad_file, "read, but " + *failure};
                reading.report.speed = reading.speed;
            } else {
                saved = true;
                const std::string into = output_name(path);
                reading.report.result =
                    all[i].speeds.size() > 1
                        ? std::to_string(reading.speed) + " bit/s answered; read into " + into
                        : "read at " + std::to_string(reading.speed) + " bit/s into " + into;
                // The bytes are kept as the display holds them, but the window would
                // refuse to load them: worth knowing before the file is written elsewhere.
                if (const auto problem = list_code_problem(*reading.image))
                    output.error(port + ": warning: " + problem->field + ": " + problem->reason +
                                 "; the window's Load refuses " + into);
            }
        }
        report_port(output, port, reading.report);
        Document result = read_result(arguments.ports[i], reading);
        if (saved)
            result["output"] = outputs[i];
        context.extra["ports"].push_back(result);
        codes.push_back(reading.report.code);
        if (i == 0)
            context.success = summed_up(all, reading.report);
    }
    return first_failure(codes);
}

int write_displays(CommandContext& context) {
    const Arguments& arguments = context.arguments;
    // The file is checked before any port is opened: a bad file costs no write cycle.
    const auto loaded = load_settings(arguments.operands[0], true);
    if (const auto* problem = std::get_if<std::string>(&loaded))
        return bad_file(context.output, *problem);

    WriteRequest request;
    request.image = std::get<ImageBytes>(loaded);
    request.force = arguments.force;
    request.verify = !arguments.no_verify;
    const auto all = targets(arguments);
    const auto reports =
        on_every_port(context.link_services, all, [&](Link& link, const PortTarget& target) {
            return write_display(link, target, request);
        });
    std::vector<int> codes;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Report& report = reports[i];
        report_port(context.output, all[i].name, report);
        Document result = port_result(arguments.ports[i], report);
        result["outcome"] = report.code != exit_success ? "failed"
                            : report.written            ? "written"
                                                        : "unchanged";
        result["changed"] = report.written;
        if (report.found)
            result["differences"] = differences(*report.found, request.image);
        context.extra["ports"].push_back(result);
        codes.push_back(report.code);
    }
    context.success = summed_up(all, reports[0]);
    return first_failure(codes);
}

int show_configuration(CommandContext& context) {
    const Arguments& arguments = context.arguments;
    Output& output = context.output;
    if (!arguments.operands.empty()) {
        const auto loaded = load_settings(arguments.operands[0], false);
        if (const auto* problem = std::get_if<std::string>(&loaded))
            return bad_file(output, *problem);
        for (const auto& line : shown(arguments, std::get<ImageBytes>(loaded)))
            output.say(line);
        context.extra["configuration"] = configuration(std::get<ImageBytes>(loaded));
        context.success = "shown " + escaped_text(arguments.operands[0]);
        return exit_success;
    }

    const auto all = targets(arguments);
    const auto readings = on_every_port(context.link_services, all, read_display);
    std::vector<int> codes;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (readings[i].image)
            for (const auto& line : shown(arguments, *readings[i].image))
                output.say(from_port(arguments, all[i].name, line));
        else
            report_port(output, all[i].name, readings[i].report);
        context.extra["ports"].push_back(read_result(arguments.ports[i], readings[i]));
        codes.push_back(readings[i].report.code);
    }
    context.success = summed_up(all, readings[0].report);
    return first_failure(codes);
}

int diff_configurations(CommandContext& context) {
    const Arguments& arguments = context.arguments;
    const auto& operands = arguments.operands;
    Output& output = context.output;
    std::vector<std::optional<ImageBytes>> images(2);
    std::vector<PortTarget> port_operands;
    std::vector<std::string> ports_given; // as typed, to compare the devices they name
    std::vector<std::size_t> port_slots;
    std::vector<std::string> port_names; // as given, after port:
    for (std::size_t i = 0; i < 2; ++i) {
        const std::string& operand = operands[i];
        if (operand.starts_with(port_prefix)) {
            const std::string port = operand.substr(std::string(port_prefix).size());
            if (const auto problem = names_no_device("\"" + escaped_text(operand) + "\"", port))
                return usage(output, *problem);
            port_operands.push_back(target(arguments, port));
            ports_given.push_back(port);
            port_names.push_back(port);
            port_slots.push_back(i);
            continue;
        }
        const auto loaded = load_settings(operand, false);
        if (const auto* problem = std::get_if<std::string>(&loaded))
            return bad_file(output, *problem);
        images[i] = std::get<ImageBytes>(loaded);
    }
    if (const auto twice = same_device(ports_given))
        return usage(output, given_twice(*twice));

    const auto readings = on_every_port(context.link_services, port_operands, read_display);
    std::vector<int> codes;
    for (std::size_t k = 0; k < readings.size(); ++k) {
        if (!readings[k].image)
            report_port(output, port_operands[k].name, readings[k].report);
        images[port_slots[k]] = readings[k].image;
        context.extra["ports"].push_back(read_result(port_names[k], readings[k]));
        codes.push_back(readings[k].report.code);
    }
    if (const int code = first_failure(codes); code != exit_success)
        return code;

    const auto lines = describe_differences(*images[0], *images[1]);
    for (const auto& line : lines)
        output.say(line);
    context.extra["differences"] = differences(*images[0], *images[1]);
    context.extra["same"] = lines.empty();
    const std::string pair = escaped_text(operands[0]) + " and " + escaped_text(operands[1]);
    if (lines.empty()) {
        context.success = pair + " hold the same settings";
        output.say(context.success);
        return exit_success;
    }
    output.say(pair + " differ in " + std::to_string(lines.size()) +
               (lines.size() == 1 ? " field" : " fields"));
    return exit_different;
}

} // namespace pds::cli
