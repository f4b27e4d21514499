#include "commands/test_display.h"

#include "commands/find_display.h"
#include "display_sets/command_sets.h"
#include "glyphs/code_page_glyphs.h"
#include "link/link_settings.h"
#include "link/port_failure_message.h"
#include "link/port_routines.h"
#include "link/probe_exchange.h"
#include "link/read_exchange.h"
#include "link/serial_line.h"
#include "message/charset.h"
#include "settings/option_lists.h"

#include <algorithm>

namespace pds {

namespace {

using Result = DisplayTestOutcome::Result;

// One step of an action: a write, or a pause that leaves what was shown on the display.
struct Step {
    std::vector<std::uint8_t> write;
    int pause_ms = 0;
};

struct Plan {
    std::vector<Step> steps;
    std::string refusal;
    std::vector<std::string> notes;
};

std::string code_page_name_of(int code_page) {
    if (code_page < 0 || code_page >= static_cast<int>(char_entries.size()))
        return "code page " + std::to_string(code_page);
    const std::string entry(char_entries[static_cast<std::size_t>(code_page)]);
    const auto close = entry.find(')');
    return close == std::string::npos ? entry : entry.substr(0, close + 1);
}

bool add(Plan& plan, DisplayWrites writes) {
    if (!writes.refusal.empty()) {
        plan.refusal = std::move(writes.refusal);
        return false;
    }
    for (auto& write : writes.writes)
        plan.steps.push_back({std::move(write), 0});
    return true;
}

// The text in the page's codes, at most one line of it; a character the page lacks refuses it.
std::optional<std::vector<std::uint8_t>> encoded_line(Plan& plan, int line, const std::string& text,
                                                      int code_page) {
    const CodePageCharacters& page = characters_of_code_page(static_cast<std::uint8_t>(code_page));
    const auto characters = split_characters(text);
    std::vector<std::uint8_t> codes;
    for (const auto character : characters) {
        if (codes.size() == static_cast<std::size_t>(display_line_width))
            break;
        const auto code = code_of_cell_text(page, character);
        if (!code || *code < 0x20) {
            plan.refusal = "\"" + std::string(character) + "\" is not in " +
                           code_page_name_of(code_page) + ", so line " + std::to_string(line) +
                           " cannot be shown";
            return std::nullopt;
        }
        codes.push_back(*code);
    }
    if (characters.size() > static_cast<std::size_t>(display_line_width))
        plan.notes.push_back("line " + std::to_string(line) + " cut to " +
                             std::to_string(display_line_width) + " characters");
    return codes;
}

bool add_line(Plan& plan, int command_set, int line, const std::string& text, int code_page) {
    const auto codes = encoded_line(plan, line, text, code_page);
    return codes && add(plan, line_writes(command_set, line, *codes));
}

// In a set whose lines lock out other commands, a clear must come first.
bool unlock(Plan& plan, int command_set) {
    return !lines_lock_commands(command_set) || add(plan, clear_writes(command_set));
}

Plan plan_action(const DisplayTestRequest& request, int command_set, int code_page) {
    Plan plan;
    plan.refusal = command_set_refusal(command_set);
    if (!plan.refusal.empty())
        return plan;
    switch (request.action) {
    case DisplayAction::ShowLines:
        if (!request.line_1 && !request.line_2) {
            plan.refusal = "no line to show";
            return plan;
        }
        if (request.line_1 && !add_line(plan, command_set, 1, *request.line_1, code_page))
            return plan;
        if (request.line_2)
            add_line(plan, command_set, 2, *request.line_2, code_page);
        return plan;
    case DisplayAction::Clear:
        add(plan, clear_writes(command_set));
        return plan;
    case DisplayAction::Brightness: {
        // Checked before the unlocking clear, so a refused level sends nothing either.
        DisplayWrites writes = brightness_writes(command_set, request.brightness_level);
        if (writes.refusal.empty())
            unlock(plan, command_set);
        add(plan, std::move(writes));
        return plan;
    }
    case DisplayAction::SelfTest: {
        DisplayWrites writes = self_test_writes(command_set);
        if (writes.refusal.empty())
            unlock(plan, command_set);
        add(plan, std::move(writes));
        return plan;
    }
    case DisplayAction::Test:
        break;
    }

    if (request.self_test && !has_self_test(command_set)) {
        plan.refusal = self_test_writes(command_set).refusal;
        return plan;
    }
    const std::string line_2 = national_line(code_page);
    auto show_lines = [&] {
        return add_line(plan, command_set, 1, test_line_1, code_page) &&
               add_line(plan, command_set, 2, line_2, code_page);
    };
    // The display may still be in a line's string mode from earlier text, which would swallow
    // the reset.
    if (!unlock(plan, command_set) || !add(plan, initialize_writes(command_set)) ||
        !add(plan, clear_writes(command_set)) || !show_lines())
        return plan;
    plan.steps.push_back({{}, request.step_ms});
    if (has_brightness(command_set)) {
        for (int level = 1; level <= brightness_level_count; ++level) {
            const bool locked = lines_lock_commands(command_set);
            if (!unlock(plan, command_set) || !add(plan, brightness_writes(command_set, level)) ||
                (locked && !show_lines()))
                return plan;
            plan.steps.push_back({{}, request.step_ms});
        }
    } else {
        plan.notes.push_back("the command set " + command_set_name(command_set) +
                             " has no brightness command");
    }
    if (add(plan, clear_writes(command_set)) && request.self_test)
        add(plan, self_test_writes(command_set));
    return plan;
}

bool cancelled_now(const std::function<bool()>& cancelled) {
    return cancelled && cancelled();
}

// Queues one write and waits until it has left the port.
// A program told to end waits for the command that has begun, so none arrives cut short.
bool send_write(SerialPort& port, Clock& clock, const std::vector<std::uint8_t>& bytes) {
    port.begin_unbroken();
    port.queue(bytes);
    const std::uint32_t start = clock.tick();
    bool left = true;
    while (port.bytes_pending() > 0) {
        if (port.device_lost() || static_cast<std::int32_t>(clock.tick() - start) > send_limit_ms) {
            left = false;
            break;
        }
        port.wait_for_activity(10);
    }
    port.end_unbroken();
    return left && !port.device_lost();
}

// Waits `ms`, dropping whatever the display sends meanwhile. False when cancelled or the
// device went away.
bool pause(SerialPort& port, Clock& clock, int ms, const std::function<bool()>& cancelled,
           Result& stop) {
    const std::uint32_t start = clock.tick();
    for (;;) {
        discard_input(port);
        if (port.device_lost()) {
            stop = Result::LineLost;
            return false;
        }
        if (cancelled_now(cancelled)) {
            stop = Result::Cancelled;
            return false;
        }
        const auto passed = static_cast<std::int32_t>(clock.tick() - start);
        if (passed >= ms)
            return true;
        port.wait_for_activity(std::min(20, ms - passed));
    }
}

void speak(SerialPort& port, Clock& clock, const Plan& plan, const std::function<bool()>& cancelled,
           DisplayTestOutcome& outcome) {
    outcome.notes.insert(outcome.notes.end(), plan.notes.begin(), plan.notes.end());
    for (const Step& step : plan.steps) {
        if (cancelled_now(cancelled)) {
            outcome.result = Result::Cancelled;
            break;
        }
        if (step.write.empty()) {
            Result stop = Result::Done;
            if (!pause(port, clock, step.pause_ms, cancelled, stop)) {
                outcome.result = stop;
                break;
            }
            continue;
        }
        outcome.sent.push_back(step.write);
        if (!send_write(port, clock, step.write)) {
            outcome.result = Result::LineLost;
            break;
        }
    }
    port.close();
    switch (outcome.result) {
    case Result::LineLost:
        outcome.message = "the line was lost: the device went away or a write would not leave";
        break;
    case Result::Cancelled:
        outcome.message = "stopped";
        break;
    default:
        outcome.result = Result::Done;
    }
}

std::string port_text(const PortChoice& choice) {
    return choice.number > 0 ? "Com " + std::to_string(choice.number) : choice.typed;
}

void port_failed(DisplayTestOutcome& outcome, const DisplayTestRequest& request, int speed,
                 PortFailure failure) {
    outcome.result = Result::PortFailed;
    outcome.message = port_failure_message(port_text(request.port),
                                           line_settings_text(plain_line(speed)), failure);
    outcome.failure = std::move(failure);
}

void refuse(DisplayTestOutcome& outcome, Plan& plan) {
    outcome.result = Result::Refused;
    outcome.message = std::move(plan.refusal);
}

void name_set(DisplayTestOutcome& outcome, int command_set, int code_page) {
    outcome.command_set = command_set;
    outcome.set_name = command_set_name(command_set);
    outcome.code_page = code_page;
    outcome.code_page_name = code_page_name_of(code_page);
}

} // namespace

std::string national_line(int code_page) {
    const CodePageCharacters& page = characters_of_code_page(static_cast<std::uint8_t>(code_page));
    // Letters of the Latin, Greek, Cyrillic and Hebrew alphabets and half-width Katakana.
    auto letter = [](char32_t c) {
        return (c >= 0xC0 && c <= 0x17F && c != 0xD7 && c != 0xF7) || (c >= 0x386 && c <= 0x3FF) ||
               (c >= 0x400 && c <= 0x4FF) || (c >= 0x5D0 && c <= 0x5EA) ||
               (c >= 0xFF66 && c <= 0xFF9D);
    };
    std::string text;
    int count = 0;
    for (int code = 0x80; code < 0x100 && count < display_line_width; ++code) {
        const char32_t c = page[static_cast<std::size_t>(code)];
        if (letter(c)) {
            text += utf8_of(c);
            ++count;
        }
    }
    return text;
}

DisplayTestOutcome test_display(SerialPort& port, Clock& clock, const DisplayTestRequest& request,
                                const std::function<bool()>& cancelled) {
    DisplayTestOutcome outcome;
    if (request.command_set) {
        const int command_set = *request.command_set;
        const int code_page = request.code_page.value_or(0);
        name_set(outcome, command_set, code_page);
        Plan plan = plan_action(request, command_set, code_page);
        if (!plan.refusal.empty()) {
            refuse(outcome, plan);
            return outcome;
        }
        const int speed = request.speed.value_or(probe_speeds[0]);
        if (auto failure = open_port(port, request.port, plain_line(speed))) {
            port_failed(outcome, request, speed, std::move(*failure));
            return outcome;
        }
        outcome.speed = speed;
        speak(port, clock, plan, cancelled, outcome);
        return outcome;
    }

    std::vector<int> speeds(std::begin(probe_speeds), std::end(probe_speeds));
    if (request.speed)
        speeds = {*request.speed};
    for (const int speed : speeds) {
        if (cancelled_now(cancelled)) {
            outcome.result = Result::Cancelled;
            outcome.message = "stopped";
            return outcome;
        }
        if (auto failure = open_port(port, request.port, plain_line(speed))) {
            port_failed(outcome, request, speed, std::move(*failure));
            return outcome;
        }
        const ReadResult read = read_exchange(
            port, clock, {probe_first_byte_limit_ms, probe_rest_limit_ms(port.ms_per_character())});
        switch (read.outcome) {
        case ReadOutcome::Received: {
            ImageBytes image{};
            std::copy(read.reply.begin() + 1, read.reply.end(), image.begin());
            const int command_set = at_position(image, position::command_set);
            const int code_page = at_position(image, position::code_page);
            name_set(outcome, command_set, code_page);
            outcome.set_read = true;
            outcome.speed = speed;
            Plan plan = plan_action(request, command_set, code_page);
            if (!plan.refusal.empty()) {
                port.close();
                refuse(outcome, plan);
                return outcome;
            }
            speak(port, clock, plan, cancelled, outcome);
            return outcome;
        }
        case ReadOutcome::NeverQuiet:
            port_failed(outcome, request, speed, never_quiet_failure(port));
            port.close();
            return outcome;
        case ReadOutcome::LineStuck:
        case ReadOutcome::LostBeforeReply:
        case ReadOutcome::LostDuringReply:
            port.close();
            outcome.result = Result::LineLost;
            outcome.message = "the line was lost while reading the display's settings";
            return outcome;
        case ReadOutcome::NoAnswer:
        case ReadOutcome::Short:
        case ReadOutcome::BadMark:
            port.close();
            break;
        }
    }
    outcome.result = Result::NoDisplay;
    std::string tried;
    for (std::size_t i = 0; i < speeds.size(); ++i)
        tried += (i == 0 ? "" : i + 1 == speeds.size() ? " or " : ", ") + std::to_string(speeds[i]);
    outcome.message = "no display answered the read at " + tried +
                      " bit/s; choose its command set to speak to it without the read";
    return outcome;
}

} // namespace pds
