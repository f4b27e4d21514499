// UTC standard ("direct to pole") and Logic Controls runtime commands, which share their
// cursor moves, addressing, modes and brightness; UTC adds RS and SUB.
//
// Sources: UTC Retail 3190 programming guide p.7-8, PD1200 guide p.9, 3100 guide p.10; the
// Partner P07303 manual 7.3/7.4; the POS-X EVO-RD1 manual (UTC standard); Posiflex PD-2609UE;
// the Partner CD5220 manual p.17 (UTC standard, with BS, HT, LF and CR); Logic Controls
// LD9000, LDX9 (LCI set) and PD3000 manuals; the POS-X XP8200 LOGIC mode; the HP RP9 2x20
// guide p.17; the IBM SurePOS 2x20 display; lcdproc's serialPOS_logic_controls.c.
#include "command_set_readers.h"

#include <algorithm>

namespace pds::display {

namespace {

// The largest linear position: row 2, column 20, counted from 0.
constexpr std::uint8_t last_position = Screen::rows * Screen::columns - 1;

bool is_brightness_level(std::uint8_t level) {
    return level == 0x20 || level == 0x40 || level == 0x60 || level == 0xFF;
}

// What both sets read alike; `handled` false for a byte the set itself must decide on.
Verdict read_shared(std::span<const std::uint8_t> p, RuntimeState& state, bool& handled) {
    handled = true;
    switch (p[0]) {
    case 0x1F: // US: everything erased, power-on settings
        state.reset();
        return Verdict::done;
    case 0x10: // DLE p: cursor to linear position p, 0-based
        if (p.size() < 2)
            return Verdict::more;
        if (p[1] > last_position)
            return Verdict::not_understood;
        state.move_to(p[1] / Screen::columns, p[1] % Screen::columns);
        return Verdict::done;
    case 0x11: // DC1: normal (overwrite) mode
        state.mode = TextMode::overwrite;
        return Verdict::done;
    case 0x12: // DC2: vertical scroll mode
        state.mode = TextMode::vertical_scroll;
        return Verdict::done;
    case 0x13: // DC3: cursor on
    case 0x14: // DC4: cursor off
        state.cursor_shown = p[0] == 0x13;
        return Verdict::done;
    case 0x08: { // BS: one to the left whatever the mode, from the upper-left corner to the
                 // lower-right, and that character erased
        const int cells = Screen::rows * Screen::columns;
        const int at = state.row * Screen::columns + std::min(state.column, Screen::columns - 1);
        const int back = (at + cells - 1) % cells;
        state.move_to(back / Screen::columns, back % Screen::columns);
        state.screen.cells[state.row][state.column] = Screen::blank;
        return Verdict::done;
    }
    case 0x09: // HT: one to the right, nothing erased
        state.cursor_right();
        return Verdict::done;
    case 0x0A: // LF: the same column of the other line; on the lower line it scrolls in DC2
        state.line_feed();
        return Verdict::done;
    case 0x0D: // CR: the left end of the line
        state.column = 0;
        return Verdict::done;
    case 0x04: // EOT n: brightness 20 %, 40 %, 60 % or 100 %
        if (p.size() < 2)
            return Verdict::more;
        if (!is_brightness_level(p[1]))
            return Verdict::not_understood;
        state.screen.brightness = p[1];
        return Verdict::done;
    default:
        handled = false;
        return Verdict::not_understood;
    }
}

} // namespace

Verdict read_utc_standard(std::span<const std::uint8_t> p, RuntimeState& state) {
    if (shows(p[0])) {
        state.put(p[0]);
        return Verdict::done;
    }
    bool handled = false;
    const Verdict shared = read_shared(p, state, handled);
    if (handled)
        return shared;
    switch (p[0]) {
    case 0x1E: // RS: home and clear
        state.clear();
        return Verdict::done;
    case 0x1A: // SUB x: display font, values not documented
        return p.size() < 2 ? Verdict::more : Verdict::done;
    default:
        return Verdict::not_understood;
    }
}

Verdict read_logic_controls(std::span<const std::uint8_t> p, RuntimeState& state) {
    if (shows(p[0])) {
        state.put(p[0]);
        return Verdict::done;
    }
    bool handled = false;
    return read_shared(p, state, handled);
}

} // namespace pds::display
