// EPSON (ESC/POS customer display) and CD5220 runtime commands.
//
// Sources: Epson DM-D110 technical document (initialise p.49, cursor moves and display modes p.44,
// self-test p.59, user setting mode p.63-64); the POS-X XP8200 manual, EPSON mode p.12 and
// CD5220 mode p.19; the Partner CD5220 / P07303 manuals (command list 7.2, string mode 9.x);
// the POS-X EVO-RD4 manual, appendix A; Posiflex PD-2609UE and PD-300; Bematech LDX1000 p.50;
// lcdproc's server/drivers/serialPOS_epson.c and serialPOS_cd5220.c.
#include "command_set_readers.h"

#include <algorithm>

namespace pds::display {

namespace {

constexpr std::uint8_t ESC = 0x1B;
constexpr std::uint8_t US = 0x1F;

// The cursor moves both sets share with the plain control bytes.
bool move_cursor(std::uint8_t byte, RuntimeState& state) {
    switch (byte) {
    case 0x08: // BS
        state.cursor_left();
        return true;
    case 0x09: // HT
        state.cursor_right();
        return true;
    case 0x0A: // LF: one line down
        state.line_feed();
        return true;
    case 0x0D: // CR: to the left end of the line
        state.column = 0;
        return true;
    case 0x0B: // HOM
        state.home();
        return true;
    case 0x0C: // CLR: blank screen, cursor home
        state.clear();
        return true;
    case 0x18: // CAN: blank the cursor's line, cursor to its left end
        state.clear_line(state.row);
        return true;
    default:
        return false;
    }
}

// 1F 01 / 1F 02 / 1F 03: overwrite, vertical scroll, horizontal scroll.
bool select_mode(std::uint8_t selector, RuntimeState& state) {
    switch (selector) {
    case 0x01:
        state.mode = TextMode::overwrite;
        return true;
    case 0x02:
        state.mode = TextMode::vertical_scroll;
        return true;
    case 0x03:
        state.mode = TextMode::horizontal_scroll;
        return true;
    default:
        return false;
    }
}

// ESC = n: the peripheral the next bytes are for, bit 0 the printer, bit 1 the display (n = 1,
// 2, 3, or the digits '1', '2', '3').
Verdict select_peripheral(std::uint8_t n, RuntimeState& state) {
    if (n != 1 && n != 2 && n != 3 && n != '1' && n != '2' && n != '3')
        return Verdict::not_understood;
    state.display_selected = (n & 0x02) != 0;
    return Verdict::done;
}

// With the display not selected, every byte but a new selection is the printer's.
bool for_the_printer(std::span<const std::uint8_t> p, const RuntimeState& state) {
    if (state.display_selected || p[0] != ESC)
        return !state.display_selected;
    return p.size() >= 2 && p[1] != 0x3D;
}

// Column 1-20, row 1-2, as both sets count them.
Verdict position(std::uint8_t column, std::uint8_t row, RuntimeState& state) {
    if (column < 1 || column > Screen::columns || row < 1 || row > Screen::rows)
        return Verdict::not_understood;
    state.move_to(row - 1, column - 1);
    return Verdict::done;
}

} // namespace

void run_self_test(RuntimeState& state) {
    RuntimeState shown;
    for (const char* c = "*** SELF TEST ***"; *c; ++c)
        shown.put(static_cast<std::uint8_t>(*c));
    shown.move_to(1, 0);
    for (const char* c = "0123456789ABCDEFGHIJ"; *c; ++c)
        shown.put(static_cast<std::uint8_t>(*c));
    shown.screen.brightness = state.screen.brightness;
    shown.screen.self_tests = state.screen.self_tests;
    state.passing.push_back(shown.screen);
    state.reset();
    ++state.screen.self_tests;
}

Verdict read_text_to_cr(std::span<const std::uint8_t> pending, std::size_t head,
                        std::span<const std::uint8_t>& text) {
    if (pending.size() <= head)
        return Verdict::more;
    const std::uint8_t last = pending.back();
    if (last == 0x0D) {
        text = pending.subspan(head, pending.size() - head - 1);
        return Verdict::done;
    }
    return shows(last) ? Verdict::more : Verdict::not_understood;
}

Verdict read_epson(std::span<const std::uint8_t> p, RuntimeState& state) {
    if (for_the_printer(p, state))
        return Verdict::printer;
    const std::uint8_t first = p[0];
    if (shows(first)) {
        state.put(first);
        return Verdict::done;
    }
    if (move_cursor(first, state))
        return Verdict::done;
    if (first != ESC && first != US)
        return Verdict::not_understood;
    if (p.size() < 2)
        return Verdict::more;
    const std::uint8_t second = p[1];
    if (first == ESC) {
        switch (second) {
        case 0x40: // ESC @: power-on settings, blank screen, cursor home
            state.reset();
            return Verdict::done;
        case 0x74: // ESC t n: character table; the configured code page still draws them
        case 0x52: // ESC R n: international set
            return p.size() < 3 ? Verdict::more : Verdict::done;
        case 0x3D: // ESC = n: peripheral select
            return p.size() < 3 ? Verdict::more : select_peripheral(p[2], state);
        default:
            return Verdict::not_understood;
        }
    }
    if (select_mode(second, state))
        return Verdict::done;
    switch (second) {
    case 0x24: // US $ c r
        return p.size() < 4 ? Verdict::more : position(p[2], p[3], state);
    case 0x43: // US C n: cursor off (0) or on (1)
        if (p.size() < 3)
            return Verdict::more;
        if (p[2] > 1)
            return Verdict::not_understood;
        state.cursor_shown = p[2] == 1;
        return Verdict::done;
    case 0x58: // US X n: brightness 1 (dimmest) to 4 (brightest)
        if (p.size() < 3)
            return Verdict::more;
        if (p[2] < 1 || p[2] > 4)
            return Verdict::not_understood;
        state.screen.brightness = p[2];
        return Verdict::done;
    case 0x45: // US E n: blink interval, or the display off
        return p.size() < 3 ? Verdict::more : Verdict::done;
    case 0x40: // US @: self-test
        run_self_test(state);
        return Verdict::done;
    case 0x28: {
        // US ( E pL pH ...: user setting mode, which writes the display's own memory. Read to
        // its end so that its data is not taken for text, and refused.
        if (p.size() < 3)
            return Verdict::more;
        if (p[2] != 0x45)
            return Verdict::not_understood;
        if (p.size() < 5)
            return Verdict::more;
        const std::size_t length = p[3] + 256u * p[4];
        return p.size() < 5 + length ? Verdict::more : Verdict::not_understood;
    }
    default:
        return Verdict::not_understood;
    }
}

namespace {

Verdict read_cd5220_command(std::span<const std::uint8_t> p, RuntimeState& state) {
    const std::uint8_t first = p[0];
    if (shows(first)) {
        state.put(first);
        return Verdict::done;
    }
    if (first == 0x0C || first == 0x18) {
        // CLR and CAN also end string mode.
        move_cursor(first, state);
        state.string_mode = false;
        return Verdict::done;
    }
    if (move_cursor(first, state))
        return Verdict::done;
    if (first != ESC && first != US)
        return Verdict::not_understood;
    if (p.size() < 2)
        return Verdict::more;
    const std::uint8_t second = p[1];
    if (first == US) {
        // The P07303 also takes these EPSON-style commands.
        if (select_mode(second, state))
            return Verdict::done;
        switch (second) {
        case 0x40: // US @: self-test
            run_self_test(state);
            return Verdict::done;
        case 0x0A: // US LF: one line up
            state.cursor_up();
            return Verdict::done;
        case 0x0D: // US CR: right end of the line
            state.column = Screen::columns - 1;
            return Verdict::done;
        case 0x42: // US B: left end of the lower line
            state.move_to(Screen::rows - 1, 0);
            return Verdict::done;
        case 0x45: // US E n: blink
            return p.size() < 3 ? Verdict::more : Verdict::done;
        default:
            return Verdict::not_understood;
        }
    }
    switch (second) {
    case 0x40: // ESC @
        state.reset();
        return Verdict::done;
    case 0x11: // ESC DC1 / DC2 / DC3: overwrite, vertical scroll, horizontal scroll
    case 0x12:
    case 0x13:
        select_mode(static_cast<std::uint8_t>(second - 0x10), state);
        return Verdict::done;
    case 0x6C: // ESC l c r
        return p.size() < 4 ? Verdict::more : position(p[2], p[3], state);
    case 0x5B: // ESC [ and a letter: cursor moves
        if (p.size() < 3)
            return Verdict::more;
        switch (p[2]) {
        case 0x48: // H: home
            state.home();
            return Verdict::done;
        case 0x41: // A: one line up
            state.cursor_up();
            return Verdict::done;
        case 0x43: // C: one to the right
            state.cursor_right();
            return Verdict::done;
        case 0x44: // D: one to the left
            state.cursor_left();
            return Verdict::done;
        case 0x4B: // K: left end of the lower line
            state.move_to(Screen::rows - 1, 0);
            return Verdict::done;
        case 0x42: // B: one line down
            state.line_feed();
            return Verdict::done;
        case 0x4C: // L: left end of the line
            state.column = 0;
            return Verdict::done;
        case 0x52: // R: right end of the line
            state.column = Screen::columns - 1;
            return Verdict::done;
        default:
            return Verdict::not_understood;
        }
    case 0x51: { // ESC Q A / ESC Q B text CR: a whole line, and string mode on
        if (p.size() < 3)
            return Verdict::more;
        if (p[2] != 0x41 && p[2] != 0x42)
            return Verdict::not_understood;
        std::span<const std::uint8_t> text;
        const Verdict verdict = read_text_to_cr(p, 3, text);
        if (verdict == Verdict::done) {
            state.set_line(p[2] - 0x41, text);
            state.string_mode = true;
        }
        return verdict;
    }
    case 0x5F: // ESC _ n: cursor off (0) or on (1)
        if (p.size() < 3)
            return Verdict::more;
        if (p[2] > 1)
            return Verdict::not_understood;
        state.cursor_shown = p[2] == 1;
        return Verdict::done;
    case 0x2A: // ESC * n: brightness 1 to 4
        if (p.size() < 3)
            return Verdict::more;
        if (p[2] < 1 || p[2] > 4)
            return Verdict::not_understood;
        state.screen.brightness = p[2];
        return Verdict::done;
    case 0x66: // ESC f n: international set, by letter
    case 0x63: // ESC c n: code table, by letter
        return p.size() < 3 ? Verdict::more : Verdict::done;
    case 0x3D: // ESC = n: peripheral select
        return p.size() < 3 ? Verdict::more : select_peripheral(p[2], state);
    case 0x23: // ESC # n: another command set, kept in the display's memory
    case 0x73: // ESC s 1: user-defined characters into the display's memory
        // Read with their parameter so that it is not taken for text, and refused.
        return p.size() < 3 ? Verdict::more : Verdict::not_understood;
    default:
        // Among the rest: ESC b, which stores the demo message in the display's memory.
        return Verdict::not_understood;
    }
}

bool line_command(std::span<const std::uint8_t> p) {
    return p[0] == ESC && (p.size() < 2 || p[1] == 0x51);
}

} // namespace

Verdict read_cd5220(std::span<const std::uint8_t> p, RuntimeState& state) {
    if (for_the_printer(p, state))
        return Verdict::printer;
    // In string mode only a clear, a cleared line or another line command is carried out;
    // everything else is read on a copy and reported as ignored.
    if (!state.string_mode || p[0] == 0x0C || p[0] == 0x18 || line_command(p))
        return read_cd5220_command(p, state);
    RuntimeState scratch = state;
    const Verdict verdict = read_cd5220_command(p, scratch);
    return verdict == Verdict::done ? Verdict::ignored : verdict;
}

Verdict read_nothing(std::span<const std::uint8_t>, RuntimeState&) {
    return Verdict::not_understood;
}

} // namespace pds::display
