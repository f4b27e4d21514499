// ports and find: the system's list of ports, or a probe of every port in it or given.
#include "command_bodies.h"
#include "command_document.h"
#include "doctor_report.h"
#include "exit_codes.h"
#include "option_rules.h"
#include "port_commands.h"

#include <string>
#include <vector>

namespace pds::cli {

namespace {

int print_port_command(CommandContext& context, const PortCommandResult& result) {
    // The summary of a find that found nothing is what a script's log needs to see.
    for (std::size_t i = 0; i < result.lines.size(); ++i) {
        if (i + 1 == result.lines.size() && result.status != exit_success)
            context.output.error(result.lines[i]);
        else
            context.output.say(result.lines[i]);
    }
    context.extra["ports"] = result.ports;
    context.success = result.message;
    return result.status;
}

} // namespace

int list_system_ports(CommandContext& context) {
    return print_port_command(context, list_ports(context.listed_ports()));
}

int find_displays(CommandContext& context) {
    std::vector<std::string> names = context.arguments.ports;
    if (names.empty())
        for (const auto& port : context.listed_ports())
            names.push_back(port.device);
    note_displays_in_use();
    std::vector<PortChoice> choices;
    for (const auto& port : names)
        choices.push_back(port_choice(port));
    // Every port opens at once: one look at which programs hold ports serves them all.
    return print_port_command(
        context,
        find_report(names, probe_every_port(choices, context.link_services_for_one_run())));
}

int examine_ports(CommandContext& context) {
    const auto examiner = context.port_examiner(context.arguments.root);
    std::vector<std::string> names = context.arguments.ports;
    if (names.empty())
        names = examiner->serial_ports();
    std::vector<ExaminedPort> examined;
    for (const auto& name : names) {
        PortFacts facts = examiner->examine(name);
        auto findings = port_findings(facts);
        examined.push_back({name, std::move(facts), std::move(findings)});
    }
    if (!context.arguments.no_probe) {
        // Only a port that can be used is probed: the others' findings say why it cannot.
        std::vector<std::size_t> probed;
        std::vector<PortChoice> choices;
        for (std::size_t i = 0; i < examined.size(); ++i)
            if (port_usable(examined[i].findings)) {
                probed.push_back(i);
                choices.push_back(port_choice(examined[i].port));
            }
        if (!probed.empty())
            note_displays_in_use();
        const auto asked = speeds(context.arguments.baud);
        const std::optional<int> given_speed =
            context.arguments.baud_given && asked && asked->size() == 1
                ? std::optional<int>(asked->front())
                : std::nullopt;
        const auto probes = probe_every_port(choices, context.link_services);
        for (std::size_t i = 0; i < probed.size(); ++i)
            examined[probed[i]].findings.push_back(
                line_finding(line_check(probes[i], given_speed)));
    }
    return print_port_command(context, doctor_report(examined));
}

} // namespace pds::cli
