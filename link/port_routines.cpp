#include "link/port_routines.h"

#include <algorithm>
#include <array>
#include <cmath>

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

bool send_request_end(SerialPort& port, Clock& clock, std::span<const std::uint8_t> bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i + 1 == bytes.size())
            discard_input(port);
        if (!send_bytes(port, clock, bytes[i]))
            return false;
    }
    return true;
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

void discard_input(SerialPort& port) {
    if (port.bytes_waiting() != 0)
        port.read_all();
}

std::int32_t quiet_time_ms(const SerialPort& port) {
    const double characters_ms = std::ceil(quiet_characters * port.ms_per_character());
    return std::max(quiet_floor_ms, static_cast<std::int32_t>(characters_ms));
}

std::int32_t quiet_limit_ms(const SerialPort& port) {
    const double sending_ms = std::ceil(quiet_limit_characters * port.ms_per_character());
    return std::max(quiet_limit_floor_ms, static_cast<std::int32_t>(sending_ms) +
                                              adapter_latency_ms + quiet_time_ms(port));
}

bool wait_quiet(SerialPort& port, Clock& clock) {
    const std::int32_t quiet_ms = quiet_time_ms(port);
    const std::int32_t limit_ms = quiet_limit_ms(port);
    const std::uint32_t start = clock.tick();
    std::uint32_t last_arrival = start;
    for (;;) {
        if (port.device_lost())
            return true;
        if (port.bytes_waiting() != 0) {
            port.read_all();
            last_arrival = clock.tick();
        }
        const std::int32_t silent = since(clock, last_arrival);
        const std::int32_t elapsed = since(clock, start);
        if (silent > quiet_ms)
            return true;
        if (elapsed > limit_ms)
            return false;
        port.wait_for_activity(
            std::min(until_past(quiet_ms, silent), until_past(limit_ms, elapsed)));
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
