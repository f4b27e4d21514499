// Whether a display answers on a port at one speed: the read exchange with short limits. It
// stores nothing in a display, so it may go to any port.
#pragma once

#include "link/read_exchange.h"
#include "services/clock.h"
#include "services/serial_port.h"
#include "settings/settings_image.h"

#include <cstdint>
#include <optional>

namespace pds {

// A display answers the read request at once: its first reply byte follows the request by a
// character time or two. What delays it on the host is a USB serial adapter that hands
// received bytes on in batches (every 16 ms on common ones, 40 ms at worst), and a busy
// machine. 250 ms covers that several times over and keeps a port without a display to about
// half a second for both speeds, against the read's 2 seconds at each.
inline constexpr std::int32_t probe_first_byte_limit_ms = 250;

// The whole reply takes 127 character times from its first byte (132 ms at 9600 bit/s); the
// probe allows that and the same 250 ms again, so a device that babbles cannot hold it.
std::int32_t probe_rest_limit_ms(double ms_per_character);

enum class ProbeOutcome {
    Answered,   // a complete reply with its mark
    NoDisplay,  // nothing came, or what came was no display's reply
    CannotOpen, // the port could not be opened; nothing was sent
    NeverQuiet, // something kept sending on the line; nothing was sent
    LineLost,   // the device went away, or the request would not leave
};

struct SpeedProbe {
    ProbeOutcome outcome = ProbeOutcome::NoDisplay;
    std::optional<ImageBytes> image;    // Answered: the display's configuration
    std::optional<PortFailure> failure; // CannotOpen: why
    ReadOutcome read = ReadOutcome::NoAnswer;
};

// Opens the port at `speed` bit/s, no parity, 8 data bits, 1 stop bit, sends the read request,
// takes the reply within the probe's limits and closes the port again.
SpeedProbe probe_at_speed(SerialPort& port, Clock& clock, const PortChoice& choice, int speed);

} // namespace pds
