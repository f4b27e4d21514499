// The readers of the runtime command sets, one per set, and what they share. Each reader's
// bytes are written from the set's public manuals, named beside each command.
#pragma once

#include "command_interpreter.h"

#include <cstdint>
#include <span>

namespace pds::display {

Verdict read_epson(std::span<const std::uint8_t> pending, RuntimeState& state);
Verdict read_cd5220(std::span<const std::uint8_t> pending, RuntimeState& state);
Verdict read_utc_standard(std::span<const std::uint8_t> pending, RuntimeState& state);
Verdict read_logic_controls(std::span<const std::uint8_t> pending, RuntimeState& state);
Verdict read_utc_pass_through(std::span<const std::uint8_t> pending, RuntimeState& state);
Verdict read_aedex(std::span<const std::uint8_t> pending, RuntimeState& state);
Verdict read_emax(std::span<const std::uint8_t> pending, RuntimeState& state);
Verdict read_adm788(std::span<const std::uint8_t> pending, RuntimeState& state);
Verdict read_dsp800(std::span<const std::uint8_t> pending, RuntimeState& state);
// A set with no public description: nothing is understood.
Verdict read_nothing(std::span<const std::uint8_t> pending, RuntimeState& state);

// Bytes that show as characters; everything below is a command in every set.
inline bool shows(std::uint8_t byte) {
    return byte >= 0x20;
}

// The self-test both sets that have one document: a pattern to recognise it by, then the
// power-on settings, a blank screen and the cursor at home.
void run_self_test(RuntimeState& state);

// A text ended by CR after a command of `head` bytes: `more` until the CR, `not_understood`
// for a control byte inside the text. On `done`, `text` holds the bytes between.
Verdict read_text_to_cr(std::span<const std::uint8_t> pending, std::size_t head,
                        std::span<const std::uint8_t>& text);

} // namespace pds::display
