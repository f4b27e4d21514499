// The read exchange on an open port: request, then the mark byte and the 126 image bytes.
// Knows nothing of the window, so any program holding a port can read a display.
#pragma once

#include "services/clock.h"
#include "services/serial_port.h"
#include "settings/settings_image.h"

#include <cstdint>
#include <vector>

namespace pds {

inline constexpr std::uint8_t read_request[] = {0x1B, 0xEE};
inline constexpr std::uint8_t reply_mark_value = 0xAA;
inline constexpr int reply_length = image_size + 1; // the mark, then positions 1..126
inline constexpr std::int32_t first_reply_byte_limit_ms = 2000;
inline constexpr std::int32_t rest_of_reply_limit_ms = 3000;

enum class ReadOutcome {
    Received,        // a complete reply with a valid mark
    NeverQuiet,      // something kept sending on the line; no request was sent
    NoAnswer,        // no byte within the first limit
    LineStuck,       // the request did not leave the port in time
    LostBeforeReply, // the device went away before any reply byte came
    Short,           // fewer than reply_length bytes within the second limit
    BadMark,         // a complete reply whose first byte is not the mark
    LostDuringReply, // the device went away after the reply had begun
};

struct ReadResult {
    ReadOutcome outcome = ReadOutcome::NoAnswer;
    // Received and BadMark: the first reply_length bytes (mark first); Short: what came.
    std::vector<std::uint8_t> reply;
};

// How long the exchange waits for the first reply byte, then from it for the whole reply.
struct ReadLimits {
    std::int32_t first_byte_ms = first_reply_byte_limit_ms;
    std::int32_t rest_ms = rest_of_reply_limit_ms;
};

// Lets the line fall quiet first, and sends nothing into a line that never does; only bytes that
// arrive once the request's last byte is on its way count as the reply. The port stays open
// whatever the outcome.
ReadResult read_exchange(SerialPort& port, Clock& clock, const ReadLimits& limits = {});

} // namespace pds
