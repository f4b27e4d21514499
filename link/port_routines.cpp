#include "link/port_routines.h"

#include <algorithm>
#include <array>

namespace pds {

namespace {

std::int32_t since(Clock& clock, std::uint32_t start) {
    return static_cast<std::int32_t>(clock.tick() - start);
}

// How long to block before the next poll: up to the first moment the limit is exceeded, and
// never less than 1 ms so a poll loop cannot spin.
int until_past(std::int32_t limit_ms, std::int32_t elapsed) {
    const std::int64_t left = std::int64_t{limit_ms} - elapsed + 1;
    return static_cast<int>(std::clamp<std::int64_t>(left, 1, std::max(limit_ms, 0) + 1));
}

} // namespace

bool send_bytes(SerialPort& port, Clock& clock, std::uint8_t value) {
    const std::array<std::uint8_t, 1> one{value};
    const std::uint32_t start = clock.tick();
    port.queue(one);
    for (;;) {
        if (port.device_lost())
            return false;
        if (port.bytes_pending() == 0)
            return true;
        const std::int32_t elapsed = since(clock, start);
        if (elapsed > send_limit_ms)
            return false;
        port.wait_for_activity(until_past(send_limit_ms, elapsed));
    }
}

void wait_input(SerialPort& port, Clock& clock, int count, std::int32_t limit_ms) {
    const std::uint32_t start = clock.tick();
    for (;;) {
        const std::int32_t elapsed = since(clock, start);
        if (port.bytes_waiting() >= count || elapsed > limit_ms || port.device_lost())
            return;
        port.wait_for_activity(until_past(limit_ms, elapsed));
    }
}

void wait_ms(EventPump& events, Clock& clock, std::int32_t ms) {
    std::uint32_t start = clock.tick();
    std::int32_t elapsed = 0;
    for (;;) {
        const std::int64_t left = std::int64_t{ms} - elapsed;
        events.process_events(static_cast<int>(std::clamp<std::int64_t>(left, 0, pump_slice_ms)));
        const std::uint32_t now = clock.tick();
        elapsed = static_cast<std::int32_t>(now - start);
        if (elapsed < 0) {
            start = now;
            elapsed = 0;
        }
        if (elapsed >= ms)
            return;
    }
}

} // namespace pds
