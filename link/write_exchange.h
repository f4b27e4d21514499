// The write exchange on an open port: request, date digits, check byte, then the image.
// Knows nothing of the window, so any program holding a port can write a display.
#pragma once

#include "services/calendar.h"
#include "services/clock.h"
#include "services/serial_port.h"
#include "settings/settings_image.h"

#include <cstdint>

namespace pds {

inline constexpr std::uint8_t write_request[] = {0x1B, 0xEF};
inline constexpr std::uint8_t check_accepted = 0xAA;
inline constexpr std::uint8_t check_refused = 0x55;
inline constexpr std::int32_t check_answer_limit_ms = 2000;

enum class WriteOutcome {
    Written,      // the 126 bytes have left the port
    NeverQuiet,   // something kept sending on the line; nothing was sent
    NoAnswer,     // no check byte within the limit; nothing sent after the date
    CheckRefused, // a wrong check byte, answered with 0x55
    LineStuck,    // a byte did not leave the port in time
    DeviceLost,   // the device went away
};

// Lets the line fall quiet, then runs the exchange (none on a line that never falls quiet); only a
// byte that arrives once the last date digit is on its way counts as the answer. The date is read
// after the request has gone out. The port stays open whatever the outcome.
WriteOutcome write_exchange(SerialPort& port, Clock& clock, Calendar& calendar,
                            const ImageBytes& payload);

} // namespace pds
