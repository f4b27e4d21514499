// The sets that write whole lines in framed commands and pass every other byte on to the
// peripheral behind the display: UTC enhanced ("pass-through"), AEDEX, and EMAX as far as it
// is the AEDEX subset.
//
// Sources: the Partner P07303 manual 7.4; the POS-X EVO-RD1 and XP8200 manuals (UTC enhanced,
// AEDEX); the HP RP9 2x20 guide p.12; Posiflex PD-2609UE p.9 and p.12; Logic Controls LDX9/PDX3
// p.25 (AEDEX set, pass-through by default) and its UTC220XLT set; Tysso VFD-450; the POS-X
// EVO-RD4 manual p.23 and the Partner CD5220 English/Russian manual 10.5 (AEDEX/EMAX);
// lcdproc's serialPOS_aedex.c and serialPOS.c (EMAX read as AEDEX).
#include "command_set_readers.h"

#include <algorithm>

namespace pds::display {

namespace {

constexpr std::uint8_t ESC = 0x1B;

// One line or both: `target` 0 is the upper line, 1 the lower, 2 both, twenty codes each; a
// short text blanks the rest.
void show_lines(int target, std::span<const std::uint8_t> text, RuntimeState& state) {
    if (target < Screen::rows) {
        state.set_line(target, text);
        return;
    }
    const std::size_t upper = std::min<std::size_t>(text.size(), Screen::columns);
    state.set_line(0, text.first(upper));
    state.set_line(1, text.subspan(upper));
}

// After the command's head, the line command proper; a CR ends it.
Verdict read_line_command(std::span<const std::uint8_t> p, std::size_t head, int target,
                          RuntimeState& state) {
    std::span<const std::uint8_t> text;
    const Verdict verdict = read_text_to_cr(p, head, text);
    if (verdict == Verdict::done)
        show_lines(target, text, state);
    return verdict;
}

// AEDEX: "!#" and a selector; EMAX has no "!#7". Bytes outside a command are `other`.
Verdict read_aedex_command(std::span<const std::uint8_t> p, RuntimeState& state, bool emax,
                           Verdict other) {
    if (p[0] != '!')
        return other;
    if (p.size() < 2)
        return Verdict::more;
    if (p[1] != '#')
        return other;
    if (p.size() < 3)
        return Verdict::more;
    switch (p[2]) {
    case '1': // !#1 text CR: upper line
        return read_line_command(p, 3, 0, state);
    case '2': // !#2 text CR: lower line
        return read_line_command(p, 3, 1, state);
    case '9': // !#9 text CR: both lines, forty codes
        return read_line_command(p, 3, 2, state);
    case '7': { // !#7 CR: stop character trapping, which the screen does not show
        if (emax)
            return Verdict::not_understood;
        std::span<const std::uint8_t> text;
        const Verdict verdict = read_text_to_cr(p, 3, text);
        return verdict == Verdict::done && !text.empty() ? Verdict::not_understood : verdict;
    }
    default:
        // Among the rest: !#8 n m CR, which changes the attention code, never carried out.
        return Verdict::not_understood;
    }
}

} // namespace

Verdict read_utc_pass_through(std::span<const std::uint8_t> p, RuntimeState& state) {
    if (p[0] != ESC)
        return Verdict::printer;
    if (p.size() < 2)
        return Verdict::more;
    if (p[1] != 'u') // ESC u is the attention code
        return Verdict::printer;
    if (p.size() < 3)
        return Verdict::more;
    switch (p[2]) {
    case 'A': // ESC u A text CR: upper line, its leftmost twenty characters
        return read_line_command(p, 3, 0, state);
    case 'B': // ESC u B text CR: lower line
        return read_line_command(p, 3, 1, state);
    case 'I': // ESC u I text CR: both lines
        return read_line_command(p, 3, 2, state);
    default:
        // Among the rest: ESC u H n m CR, which changes the attention code, never carried out.
        return Verdict::not_understood;
    }
}

Verdict read_aedex(std::span<const std::uint8_t> p, RuntimeState& state) {
    return read_aedex_command(p, state, false, Verdict::printer);
}

Verdict read_emax(std::span<const std::uint8_t> p, RuntimeState& state) {
    // Nothing public says where EMAX sends other bytes.
    return read_aedex_command(p, state, true, Verdict::not_understood);
}

} // namespace pds::display
