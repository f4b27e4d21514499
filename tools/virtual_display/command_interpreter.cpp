#include "command_interpreter.h"

#include "command_set_readers.h"
#include "message/hex_cells.h"
#include "settings/option_lists.h"

#include <array>
#include <utility>

namespace pds::display {

namespace {

// The longest command any set takes; a longer one never ends and is dropped as not understood.
constexpr std::size_t longest_command = 512;

struct KnownSet {
    std::string_view name; // as the command set list names it, without " (Default)"
    CommandSetReader reader;
};

constexpr std::array<KnownSet, 10> known_sets{{
    {"ORBIT", read_nothing},
    {"EPSON", read_epson},
    {"UTC/S", read_utc_standard},
    {"UTC/P", read_utc_pass_through},
    {"AEDEX", read_aedex},
    {"ADM788", read_adm788},
    {"DSP800", read_dsp800},
    {"CD5220", read_cd5220},
    {"EMAX", read_emax},
    {"LogicControl", read_logic_controls},
}};

std::string_view short_name(std::string_view entry) {
    const auto cut = entry.find(" (");
    return cut == std::string_view::npos ? entry : entry.substr(0, cut);
}

CommandSetReader reader_of(std::string_view name) {
    for (const auto& known : known_sets)
        if (known.name == name)
            return known.reader;
    return read_nothing;
}

} // namespace

CommandInterpreter::CommandInterpreter(std::uint8_t command_set) : set(command_set) {
    if (command_set < command_entries.size()) {
        name = std::string(short_name(command_entries[command_set]));
        reader = reader_of(name);
    } else {
        name = "set " + std::to_string(command_set);
        reader = read_nothing;
    }
}

void CommandInterpreter::receive(std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes)
        receive(byte);
}

void CommandInterpreter::receive(std::uint8_t byte) {
    pending.push_back(byte);
    Verdict verdict = reader(pending, state);
    if (verdict == Verdict::more) {
        if (pending.size() < longest_command)
            return;
        verdict = Verdict::not_understood;
    }
    if (verdict == Verdict::done) {
        run_open = false;
        pending.clear();
        return;
    }
    report(verdict);
}

void CommandInterpreter::interrupt() {
    if (!pending.empty())
        report(Verdict::not_understood);
    run_open = false;
}

void CommandInterpreter::report(Verdict kind) {
    if (run_open && !reports.empty() && reports.back().kind == kind)
        reports.back().bytes.insert(reports.back().bytes.end(), pending.begin(), pending.end());
    else
        reports.push_back({kind, pending});
    run_open = true;
    pending.clear();
}

std::vector<Screen> CommandInterpreter::take_passing() {
    return std::exchange(state.passing, {});
}

std::vector<std::uint8_t> CommandInterpreter::take_replies() {
    return std::exchange(state.replies, {});
}

std::vector<RuntimeReport> CommandInterpreter::take_reports() {
    run_open = false;
    return std::exchange(reports, {});
}

std::string report_text(const RuntimeReport& report, std::string_view set_name,
                        const CodePageCharacters& page) {
    std::string text;
    switch (report.kind) {
    case Verdict::ignored:
        text = "ignored in string mode";
        break;
    case Verdict::printer:
        text = "to the printer port";
        break;
    default:
        text = "not understood";
        break;
    }
    text += " (" + std::string(set_name) + "):";
    for (const std::uint8_t byte : report.bytes)
        text += " " + hex_cell_text(byte);
    if (report.kind == Verdict::printer) {
        text += " \"";
        for (const std::uint8_t byte : report.bytes)
            text += shows(byte) && page[byte] != 0 ? utf8_of(page[byte]) : std::string(".");
        text += "\"";
    }
    return text;
}

} // namespace pds::display
