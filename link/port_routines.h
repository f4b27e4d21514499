// The three small routines both transfers are built from: send one byte, wait for received
// bytes, and pause while the window stays responsive. Tick differences are taken as signed
// 32-bit values, so a wrap of the millisecond counter neither shortens nor lengthens a wait.
#pragma once

#include "services/clock.h"
#include "services/event_pump.h"
#include "services/serial_port.h"

#include <cstdint>

namespace pds {

// A byte takes about 1 ms at 9600 bit/s; a byte still queued after a second means the line
// is held (flow control, an unplugged adapter) and will not drain by waiting longer.
inline constexpr std::int32_t send_limit_ms = 1000;

// The longest single pass of the event loop inside wait_ms, so the pause ends on time even
// when no window event comes.
inline constexpr int pump_slice_ms = 10;

// Queues one byte and waits until it has left the port. False when it is still queued after
// more than send_limit_ms or the device has gone away.
[[nodiscard]] bool send_bytes(SerialPort& port, Clock& clock, std::uint8_t value);

// Returns as soon as at least `count` bytes are waiting, once more than `limit_ms` have passed
// since it began, or when the device has gone away. Reports nothing: the caller asks the port.
void wait_input(SerialPort& port, Clock& clock, int count, std::int32_t limit_ms);

// Returns after at least `ms` milliseconds, processing window events throughout and at least
// once. A counter that goes backwards restarts the pause from its new reading.
void wait_ms(EventPump& events, Clock& clock, std::int32_t ms);

} // namespace pds
