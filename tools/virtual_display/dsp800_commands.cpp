// DSP800 runtime commands: frames of EOT SOH, a command letter, its parameters and ETB, each
// answered ACK or NACK; plain text between them.
//
// Sources: Tysso's DSP protocol manual 6.2.4-6.2.5 (mirror at barcode-manufacturer.com
// vfd_manual11); unpos-hw-service's vfd commands Init, ClearScreen, CursorToPosition, SetFont,
// SelectDevice and PrintString.
#include "command_set_readers.h"

namespace pds::display {

namespace {

constexpr std::uint8_t EOT = 0x04;
constexpr std::uint8_t SOH = 0x01;
constexpr std::uint8_t ETB = 0x17;
// The display's answer to each frame: carried out, or failed.
constexpr std::uint8_t ACK = 0x06;
constexpr std::uint8_t NACK = 0x15;
// Positions 1 to 40 travel as 0x31 to 0x58: upper-left, along the upper line, then the lower.
constexpr std::uint8_t first_position = 0x31;
constexpr std::uint8_t last_position = first_position + Screen::rows * Screen::columns - 1;

bool is_position(std::uint8_t byte) {
    return byte >= first_position && byte <= last_position;
}

void cell_at(int linear, int& row, int& column) {
    row = linear / Screen::columns;
    column = linear % Screen::columns;
}

// The frame's letter and parameters, the frame whole.
Verdict carry_out(std::span<const std::uint8_t> body, RuntimeState& state) {
    const std::uint8_t letter = body[0];
    const auto parameters = body.subspan(1);
    switch (letter) {
    case '%': // initialise
        if (!parameters.empty())
            return Verdict::not_understood;
        state.reset();
        return Verdict::done;
    case 'C': { // clear positions start to end
        if (parameters.size() != 2 || !is_position(parameters[0]) || !is_position(parameters[1]) ||
            parameters[0] > parameters[1])
            return Verdict::not_understood;
        for (int k = parameters[0] - first_position; k <= parameters[1] - first_position; ++k) {
            int row = 0, column = 0;
            cell_at(k, row, column);
            state.screen.cells[row][column] = Screen::blank;
        }
        return Verdict::done;
    }
    case 'P': { // cursor to a position
        if (parameters.size() != 1 || !is_position(parameters[0]))
            return Verdict::not_understood;
        int row = 0, column = 0;
        cell_at(parameters[0] - first_position, row, column);
        state.move_to(row, column);
        return Verdict::done;
    }
    case 'I': // international font 0x30 to 0x3A; the configured code page still draws
        return parameters.size() == 1 && parameters[0] >= 0x30 && parameters[0] <= 0x3A
                   ? Verdict::done
                   : Verdict::not_understood;
    default:
        // Among the rest: 'S', which saves messages in the display's memory, and 'D', which
        // plays them. Never carried out.
        return Verdict::not_understood;
    }
}

} // namespace

Verdict read_dsp800(std::span<const std::uint8_t> p, RuntimeState& state) {
    if (shows(p[0])) {
        state.put(p[0]);
        return Verdict::done;
    }
    if (p[0] != EOT)
        return Verdict::not_understood;
    if (p.size() < 2)
        return Verdict::more;
    if (p[1] != SOH)
        return Verdict::not_understood;
    Verdict verdict = Verdict::more;
    if (p.size() >= 4 && p.back() == ETB)
        verdict = carry_out(p.subspan(2, p.size() - 3), state);
    else if (p.size() >= 6) // no frame of the documented letters runs longer than the clear's
        verdict = Verdict::not_understood;
    if (verdict != Verdict::more)
        state.replies.push_back(verdict == Verdict::done ? ACK : NACK);
    return verdict;
}

} // namespace pds::display
