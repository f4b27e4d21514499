#include "display_sets/command_sets.h"

#include "settings/option_lists.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace pds {

namespace {

using Bytes = std::vector<std::uint8_t>;

// One set's commands. An empty command means the set has none; `refusal` says why a whole set
// is not spoken. The brightness command is `brightness` followed by one of `levels`.
struct SetCommands {
    std::string_view refusal;
    std::vector<Bytes> initialize;
    std::vector<Bytes> clear; // empty: cleared by writing blank lines
    Bytes before_line;        // sent as its own write before each line
    Bytes line_1;             // precedes the 20 characters of line 1
    Bytes line_2;
    Bytes line_end; // follows them
    Bytes brightness;
    std::array<std::uint8_t, brightness_level_count> levels{};
    Bytes self_test;
    bool lines_lock = false;
};

// Sources, by the keys of the project's command-set sheet:
//   EPS-110  Epson DM-D110 technical document (ESC @ p.49, US @ self-test p.59)
//   XP8200   POS-X XP8200 manual, EPSON mode p.12, CD5220 mode p.19, UTC/AEDEX p.16, LOGIC p.22
//            https://www.easymanua.ls/posx/xp8200/manual?p=12
//            https://manualshive.com/en/manual/posx/xp8200/1582824?page=16
//   PTN-5220 Partner CD5220 manual, https://manualsdump.com/amp/en/manuals/170863/15 and /17
//   P07303   Partner P07303/CD5220 user manual 7.2 (US @ in the CD5220 list)
//   POSIFLEX Posiflex PD-2609UE manual,
//            https://azmanual.top/manuals/783710/posiflex-pd-2609ue.html?page=9 (ADM, AEDEX, EPSON)
//            https://www.manualsdir.com/manuals/783710/posiflex-pd-2609ue.html?page=12 (UTC)
//   EVO-RD4  POS-X EVO-RD4-VFD manual,
//   https://manualshive.com/ru/manual/pos-x/evo-rd4-vfd/1582020?page=23 UTC-R    UTC RETAIL 3190
//   programming guide p.7-8, PD1200 p.9
//            https://manualshive.com/ru/manual/utc-retail/3190-series/1065012?page=7
//   LCI      Logic Controls LDX9/PDX3 manual,
//            https://manualshive.com/en/manual/logic-controls/ldx9-series/ldx9-series_user-manual_1934703-21.html
//   LCDPROC  lcdproc server/drivers/serialPOS.c, serialPOS_epson.c, serialPOS_cd5220.c,
//            serialPOS_aedex.c, serialPOS_logic_controls.c
//   PYPOS    akretion/pyposdisplay pyposdisplay/pyposdisplay.py
const std::array<SetCommands, 10>& set_table() {
    static const std::array<SetCommands, 10> table = [] {
        std::array<SetCommands, 10> t{};

        // ORBIT: no public manual, driver or protocol document names its bytes.
        t[0].refusal = "no public document gives its commands";

        // EPSON (ESC/POS customer display). ESC @ init (EPS-110, XP8200, LCDPROC, PYPOS);
        // CLR 0C (XP8200, POSIFLEX, PYPOS); US $ c r cursor to column c, row r, 1-based
        // (XP8200, LCDPROC, PYPOS), the set has no line command; US X n brightness n = 1..4
        // (XP8200, LCDPROC); US @ self-test (EPS-110 p.59, Tysso POS-408).
        t[1].initialize = {{0x1B, 0x40}};
        t[1].clear = {{0x0C}};
        t[1].line_1 = {0x1F, 0x24, 0x01, 0x01};
        t[1].line_2 = {0x1F, 0x24, 0x01, 0x02};
        t[1].brightness = {0x1F, 0x58};
        t[1].levels = {0x01, 0x02, 0x03, 0x04};
        t[1].self_test = {0x1F, 0x40};

        // UTC/S (standard, "direct to pole"). US 1F clears and resets (UTC-R, POSIFLEX,
        // P07303); DC1 11 normal (overwrite) mode, needed before text because vertical scroll
        // would put line 1 on row 2 (UTC-R, POSIFLEX); DLE p cursor to linear position p,
        // 0-based: 00 row 1, 14 row 2 (UTC-R, POSIFLEX, LCI UTC220XLT); EOT n brightness with
        // n = 20, 40, 60, FF (UTC-R 3190 p.7, PD1200 p.9, POSIFLEX).
        t[2].clear = {{0x1F}};
        t[2].before_line = {0x11};
        t[2].line_1 = {0x10, 0x00};
        t[2].line_2 = {0x10, 0x14};
        t[2].brightness = {0x04};
        t[2].levels = {0x20, 0x40, 0x60, 0xFF};

        // UTC/P (enhanced, pass-through): only ESC u A / ESC u B ... CR reach the display;
        // bare text goes to the pass-through port. An empty line command blanks its line
        // (POSIFLEX "clear display", LCI). P07303, EVO-RD1, HP, XP8200, POSIFLEX, LCI.
        t[3].clear = {{0x1B, 0x75, 0x41, 0x0D}, {0x1B, 0x75, 0x42, 0x0D}};
        t[3].line_1 = {0x1B, 0x75, 0x41};
        t[3].line_2 = {0x1B, 0x75, 0x42};
        t[3].line_end = {0x0D};

        // AEDEX: "!#1" / "!#2" text CR (EVO-RD4, HP, XP8200, POSIFLEX, LCI, LCDPROC). It has
        // no clear command: blank lines clear it. Bare text goes to the pass-through port.
        t[4].line_1 = {0x21, 0x23, 0x31};
        t[4].line_2 = {0x21, 0x23, 0x32};
        t[4].line_end = {0x0D};

        // ADM788: FF 0C clears both lines; SO 0E / SI 0F start line 1 / line 2, CR ends the
        // command (EVO-RD4, HP, POSIFLEX, CD5220-RU 10.6).
        t[5].clear = {{0x0C}};
        t[5].line_1 = {0x0E};
        t[5].line_2 = {0x0F};
        t[5].line_end = {0x0D};

        // DSP800: framed commands the display acknowledges one by one; its text and
        // brightness commands come from a single driver and a neighbouring command saves
        // messages into the display.
        t[6].refusal = "its text and brightness commands are not documented well enough";

        // CD5220: ESC @ init, CLR 0C, ESC Q A / ESC Q B text CR "string mode", which ignores
        // other commands until CLR or CAN (PTN-5220, XP8200, LCDPROC; EVO-RD4 A.4); ESC * n
        // brightness n = 1..4 (PTN-5220, XP8200, LCDPROC, BEMA); US @ self-test (P07303 7.2).
        t[7].initialize = {{0x1B, 0x40}};
        t[7].clear = {{0x0C}};
        t[7].line_1 = {0x1B, 0x51, 0x41};
        t[7].line_2 = {0x1B, 0x51, 0x42};
        t[7].line_end = {0x0D};
        t[7].brightness = {0x1B, 0x2A};
        t[7].levels = {0x01, 0x02, 0x03, 0x04};
        t[7].self_test = {0x1F, 0x40};
        t[7].lines_lock = true;

        // EMAX: only its AEDEX-compatible line commands are documented (EVO-RD4 p.23,
        // CD5220-RU 10.5, LCDPROC serialPOS.c maps it to AEDEX).
        t[8] = t[4];

        // LogicControl (LCI): US 1F resets and clears, DC1 11 normal mode, DLE p position,
        // EOT n brightness 20/40/60/FF (LCI, XP8200 LOGIC, HP, IBM, LCDPROC). The set has no
        // self-test.
        t[9] = t[2];
        return t;
    }();
    return table;
}

const SetCommands* commands_of(int command_set) {
    if (command_set < 0 || command_set >= static_cast<int>(set_table().size()))
        return nullptr;
    return &set_table()[static_cast<std::size_t>(command_set)];
}

// The set, or the refusal that says why it cannot be spoken.
const SetCommands* spoken(int command_set, DisplayWrites& out) {
    out.refusal = command_set_refusal(command_set);
    return out.refusal.empty() ? commands_of(command_set) : nullptr;
}

DisplayWrites missing(int command_set, std::string_view what) {
    return {{},
            "the command set " + command_set_name(command_set) + " has no " + std::string(what)};
}

Bytes line_command(const SetCommands& set, int line, std::span<const std::uint8_t> codes) {
    Bytes bytes = line == 1 ? set.line_1 : set.line_2;
    for (int i = 0; i < display_line_width; ++i)
        bytes.push_back(i < static_cast<int>(codes.size()) ? codes[static_cast<std::size_t>(i)]
                                                           : std::uint8_t{' '});
    bytes.insert(bytes.end(), set.line_end.begin(), set.line_end.end());
    return bytes;
}

} // namespace

std::optional<int> command_set_of_name(std::string_view name) {
    auto same = [](std::string_view a, std::string_view b) {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                   return std::tolower(static_cast<unsigned char>(x)) ==
                          std::tolower(static_cast<unsigned char>(y));
               });
    };
    for (std::size_t i = 0; i < command_entries.size(); ++i) {
        const std::string_view entry = command_entries[i];
        const std::string_view bare = entry.substr(0, entry.find(" ("));
        if (same(name, entry) || same(name, bare))
            return static_cast<int>(i);
    }
    return std::nullopt;
}

std::string command_set_name(int command_set) {
    if (command_set < 0 || command_set >= static_cast<int>(command_entries.size()))
        return "code " + std::to_string(command_set);
    return std::string(command_entries[static_cast<std::size_t>(command_set)]);
}

std::string command_set_refusal(int command_set) {
    const SetCommands* set = commands_of(command_set);
    if (!set)
        return "the command set " + command_set_name(command_set) + " is not in the Command list";
    if (!set->refusal.empty())
        return "the command set " + command_set_name(command_set) +
               " is not supported: " + std::string(set->refusal);
    return {};
}

DisplayWrites initialize_writes(int command_set) {
    DisplayWrites out;
    if (const SetCommands* set = spoken(command_set, out))
        out.writes = set->initialize;
    return out;
}

DisplayWrites clear_writes(int command_set) {
    DisplayWrites out;
    const SetCommands* set = spoken(command_set, out);
    if (!set)
        return out;
    if (!set->clear.empty()) {
        out.writes = set->clear;
        return out;
    }
    for (int line = 1; line <= 2; ++line) {
        if (!set->before_line.empty())
            out.writes.push_back(set->before_line);
        out.writes.push_back(line_command(*set, line, {}));
    }
    return out;
}

DisplayWrites line_writes(int command_set, int line, std::span<const std::uint8_t> codes) {
    DisplayWrites out;
    const SetCommands* set = spoken(command_set, out);
    if (!set)
        return out;
    if (line != 1 && line != 2)
        return {{}, "a display has lines 1 and 2 only"};
    const std::size_t shown = std::min(codes.size(), static_cast<std::size_t>(display_line_width));
    for (std::size_t i = 0; i < shown; ++i)
        if (codes[i] < 0x20 || codes[i] == 0x7F)
            return {{}, "the code " + std::to_string(codes[i]) + " is a command, not a character"};
    if (!set->before_line.empty())
        out.writes.push_back(set->before_line);
    out.writes.push_back(line_command(*set, line, codes));
    return out;
}

DisplayWrites brightness_writes(int command_set, int level) {
    DisplayWrites out;
    const SetCommands* set = spoken(command_set, out);
    if (!set)
        return out;
    if (set->brightness.empty())
        return missing(command_set, "brightness command");
    if (level < 1 || level > brightness_level_count)
        return {{}, "the brightness level must be 1 to " + std::to_string(brightness_level_count)};
    Bytes bytes = set->brightness;
    bytes.push_back(set->levels[static_cast<std::size_t>(level - 1)]);
    out.writes.push_back(std::move(bytes));
    return out;
}

DisplayWrites self_test_writes(int command_set) {
    DisplayWrites out;
    const SetCommands* set = spoken(command_set, out);
    if (!set)
        return out;
    if (set->self_test.empty())
        return missing(command_set, "self-test command");
    out.writes.push_back(set->self_test);
    return out;
}

bool has_brightness(int command_set) {
    const SetCommands* set = commands_of(command_set);
    return set && set->refusal.empty() && !set->brightness.empty();
}

bool has_self_test(int command_set) {
    const SetCommands* set = commands_of(command_set);
    return set && set->refusal.empty() && !set->self_test.empty();
}

bool lines_lock_commands(int command_set) {
    const SetCommands* set = commands_of(command_set);
    return set && set->lines_lock;
}

} // namespace pds
