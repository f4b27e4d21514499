// say, clear, brightness and test: the display spoken to in its run-time command set, each
// port at once.
#include "command_bodies.h"
#include "command_document.h"
#include "commands/test_display.h"
#include "display_sets/command_sets.h"
#include "every_port.h"
#include "exit_codes.h"
#include "option_rules.h"

#include <cstdio>
#include <string>
#include <vector>

namespace pds::cli {

namespace {

using Result = DisplayTestOutcome::Result;

int status_of(Result result) {
    switch (result) {
    case Result::Done:
        return exit_success;
    case Result::Refused:
        return exit_bad_arguments;
    case Result::NoDisplay:
        return exit_no_answer;
    case Result::PortFailed:
        return exit_port_unavailable;
    case Result::LineLost:
    case Result::Cancelled:
        return exit_line_lost;
    }
    return exit_line_lost;
}

// "EPSON (Default) as read, US English (CP-437), 9600 bit/s"
std::string spoken_as(const DisplayTestOutcome& outcome) {
    std::string text = outcome.set_name +
                       (outcome.set_read ? " as the display reports it" : " as chosen") + ", " +
                       outcome.code_page_name;
    if (outcome.speed != 0)
        text += ", " + std::to_string(outcome.speed) + " bit/s";
    return text;
}

std::string hex_of(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char cell[4];
        std::snprintf(cell, sizeof cell, i ? " %02X" : "%02X", bytes[i]);
        text += cell;
    }
    return text;
}

// What the command does, as the line of a port that succeeded says it.
std::string done_words(const Arguments& arguments) {
    const std::string& command = arguments.command;
    if (command == "say")
        return "line " + (arguments.line_given ? arguments.line : std::string("1")) + " shown";
    if (command == "clear")
        return "cleared";
    if (command == "brightness")
        return "brightness " + arguments.operands[0];
    return arguments.self_test ? "tested, with its self-test" : "tested";
}

DisplayTestRequest request_of(const Arguments& arguments) {
    DisplayTestRequest request;
    if (arguments.baud_given && arguments.baud != "auto")
        request.speed = speeds(arguments.baud)->front();
    if (arguments.command_set_given)
        request.command_set = command_set_of_name(arguments.command_set);
    if (arguments.code_page_given)
        request.code_page = code_page_place(arguments.code_page);
    const std::string& command = arguments.command;
    if (command == "say") {
        request.action = DisplayAction::ShowLines;
        (arguments.line == "2" ? request.line_2 : request.line_1) = arguments.operands[0];
    } else if (command == "clear") {
        request.action = DisplayAction::Clear;
    } else if (command == "brightness") {
        request.action = DisplayAction::Brightness;
        request.brightness_level = std::stoi(arguments.operands[0]);
    } else {
        request.action = DisplayAction::Test;
        request.self_test = arguments.self_test;
        if (arguments.pause_given)
            request.step_ms = *pause_ms(arguments.pause);
    }
    return request;
}

Document port_entry(const std::string& port, const Report& report,
                    const DisplayTestOutcome& outcome) {
    Document entry = port_result(port, report);
    entry["outcome"] = outcome.result == Result::Done      ? "done"
                       : outcome.result == Result::Refused ? "refused"
                                                           : "failed";
    if (outcome.command_set >= 0) {
        entry["command_set"] = outcome.set_name;
        entry["command_set_from"] = outcome.set_read ? "read" : "chosen";
        entry["code_page"] = outcome.code_page_name;
    }
    Document sent = Document::array();
    for (const auto& write : outcome.sent)
        sent.push_back(hex_of(write));
    entry["sent"] = sent;
    entry["notes"] = outcome.notes;
    return entry;
}

int speak_on_every_port(CommandContext& context) {
    const Arguments& arguments = context.arguments;
    Output& output = context.output;
    const DisplayTestRequest request = request_of(arguments);
    const auto all = targets(arguments);
    note_displays_in_use();
    const auto outcomes =
        on_every_port(context.link_services, all, [&](Link& link, const PortTarget& target) {
            DisplayTestRequest own = request;
            own.port = target.choice;
            return test_display(link.port, link.clock, own);
        });
    std::vector<int> codes;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const DisplayTestOutcome& outcome = outcomes[i];
        Report report(status_of(outcome.result));
        report.speed = outcome.result == Result::Done ? outcome.speed : 0;
        report.result = outcome.result == Result::Done
                            ? done_words(arguments) + " (" + spoken_as(outcome) + ")"
                            : outcome.message;
        if (outcome.result != Result::Done && outcome.command_set >= 0)
            report.details.push_back(spoken_as(outcome));
        // A note is no failure: it goes to standard error beside the port's line.
        if (!output.json)
            for (const auto& note : outcome.notes)
                output.err << all[i].name << ": note: " << note << '\n';
        report_port(output, all[i].name, report);
        context.extra["ports"].push_back(port_entry(arguments.ports[i], report, outcome));
        codes.push_back(report.code);
        if (i == 0)
            context.success = summed_up(all, report);
    }
    return first_failure(codes);
}

} // namespace

int say_on_displays(CommandContext& context) {
    return speak_on_every_port(context);
}
int clear_displays(CommandContext& context) {
    return speak_on_every_port(context);
}
int set_brightness(CommandContext& context) {
    return speak_on_every_port(context);
}
int test_displays(CommandContext& context) {
    return speak_on_every_port(context);
}

} // namespace pds::cli
