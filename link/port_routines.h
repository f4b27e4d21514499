// The small routines both transfers are built from: send one byte, wait for received bytes,
// let the line fall quiet, and pause while the window stays responsive. Tick differences are
// taken as signed 32-bit values, so a wrap of the millisecond counter neither shortens nor
// lengthens a wait.
#pragma once

#include "services/clock.h"
#include "services/event_pump.h"
#include "services/serial_port.h"

#include <cstdint>
#include <span>

namespace pds {

// A byte takes about 1 ms at 9600 bit/s; a byte still queued after a second means the line
// is held (flow control, an unplugged adapter) and will not drain by waiting longer.
inline constexpr std::int32_t send_limit_ms = 1000;

// The longest single pass of the event loop inside wait_ms, so the pause ends on time even
// when no window event comes.
inline constexpr int pump_slice_ms = 10;

// A line counts as quiet once no byte has come for this many character times: a device still
// sending leaves no longer gaps than that between its bytes.
inline constexpr int quiet_characters = 4;

// Nor for less than this: a USB serial adapter hands received bytes on in batches, commonly
// every 16 ms, so a shorter silence says nothing about the line.
inline constexpr std::int32_t quiet_floor_ms = 20;

// How long a line may keep sending before it counts as never falling quiet: twice a read reply
// (127 bytes) at the line's speed, so a display's own bytes trailing its answer end within it,
// ...
inline constexpr int quiet_limit_characters = 256;

// ... then what a USB serial adapter may hold bytes back (40 ms at worst), then the quiet time.
inline constexpr std::int32_t adapter_latency_ms = 40;

// And never less than this on a fast line.
inline constexpr std::int32_t quiet_limit_floor_ms = 200;

// Queues one byte and waits until it has left the port. False when it is still queued after
// more than send_limit_ms or the device has gone away.
[[nodiscard]] bool send_bytes(SerialPort& port, Clock& clock, std::uint8_t value);

// Sends the bytes that end a request, one at a time as send_bytes does. Just before the last
// one it discards all waiting input: the far end cannot answer a request it has not received in
// full, so what waits then is left from earlier traffic or noise. Nothing is discarded after
// that, as a quick answer may arrive while the last byte is still leaving. False when a byte
// fails to leave; the bytes after it are not queued.
[[nodiscard]] bool send_request_end(SerialPort& port, Clock& clock,
                                    std::span<const std::uint8_t> bytes);

// Returns as soon as at least `count` bytes are waiting, once more than `limit_ms` have passed
// since it began, or when the device has gone away. Reports nothing: the caller asks the port.
void wait_input(SerialPort& port, Clock& clock, int count, std::int32_t limit_ms);

// Reads and drops whatever input is waiting.
void discard_input(SerialPort& port);

// Quiet_characters character times on the port's line, rounded up to whole milliseconds, and
// at least quiet_floor_ms.
[[nodiscard]] std::int32_t quiet_time_ms(const SerialPort& port);

// The longest wait for a quiet line on the port: quiet_limit_characters character times, the
// adapter's latency and the quiet time, rounded up, and at least quiet_limit_floor_ms.
[[nodiscard]] std::int32_t quiet_limit_ms(const SerialPort& port);

// Discards input until none has arrived for more than quiet_time_ms, so a request goes out
// after whatever the far end was still sending. False once more than quiet_limit_ms have passed
// without quiet: something keeps sending, and a request sent into it would be answered by
// noise. Returns true at once when the device has gone away; the next send finds that out.
bool wait_quiet(SerialPort& port, Clock& clock);

// Returns after at least `ms` milliseconds, processing window events throughout and at least
// once. A counter that goes backwards restarts the pause from its new reading.
void wait_ms(EventPump& events, Clock& clock, std::int32_t ms);

} // namespace pds
