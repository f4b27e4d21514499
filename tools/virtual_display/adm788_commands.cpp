// ADM 787/788 runtime commands.
//
// Sources: the POS-X EVO-RD4 manual p.23; the Partner CD5220 English/Russian manual 10.6; the
// HP RP9 2x20 guide p.12; Posiflex PD-2609UE p.9 (control code, data, optional CR).
#include "command_set_readers.h"

namespace pds::display {

Verdict read_adm788(std::span<const std::uint8_t> p, RuntimeState& state) {
    const std::uint8_t first = p[0];
    if (shows(first)) {
        state.put(first);
        return Verdict::done;
    }
    switch (first) {
    case 0x0C: // clear both lines
        state.clear();
        return Verdict::done;
    case 0x0E: // blank the upper line, cursor to its left end
        state.clear_line(0);
        return Verdict::done;
    case 0x0F: // blank the lower line, cursor to its left end
        state.clear_line(1);
        return Verdict::done;
    case 0x0D: // ends a command
        return Verdict::done;
    default:
        // Among the rest: the period, blink and field bytes 10, 11, 12, 1E and 1F, whose
        // parameters the manuals disagree on.
        return Verdict::not_understood;
    }
}

} // namespace pds::display
