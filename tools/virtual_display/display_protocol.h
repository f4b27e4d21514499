// The display's side of the line: what it answers to each byte the host sends, and how it can
// be told to misbehave. No device and no clock here; the caller paces the bytes.
#pragma once

#include "settings/settings_image.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pds::display {

inline constexpr std::uint8_t request_escape = 0x1B;
inline constexpr std::uint8_t write_request = 0xEF;
inline constexpr std::uint8_t read_request = 0xEE;
inline constexpr std::uint8_t proceed_mark = 0xAA;
inline constexpr std::uint8_t abort_mark = 0x55;

// A host pausing this long inside an exchange has given up on it.
inline constexpr int abandon_after_ms = 1000;

// The check byte the display expects the host to accept, from the eight date digits.
std::uint8_t check_byte_for(const std::uint8_t (&digits)[8]);

// How the display answers; all off, it answers as built. Each fault stands for something a
// real display or line does.
struct Behaviour {
    int answer_delay_ms = 0; // before every answer
    bool silent = false;
    bool wrong_check = false;                      // one more than the right check byte
    int answer_bytes = 1;                          // the check byte, then bytes of its own
    std::optional<int> short_reply = std::nullopt; // the read reply cut to this many bytes
    bool wrong_mark = false;                       // the read reply starts 00 instead of AA
    int extra_bytes = 0;                           // zeros after the read reply
    int late_ms = 0;                               // on top of the answer delay
    // Once: the line drops after this many bytes of an exchange, counted both ways.
    std::optional<int> hang_up_after = std::nullopt;
    bool store_other = false; // a written configuration is stored with its last byte changed
    int trailing = 0;         // bytes of line noise after every answer, from noise_bytes
};

// The noise sent after an answer, over and over: the read reply's mark first, so a host that
// takes stale input for a reply is caught.
inline constexpr std::uint8_t noise_bytes[] = {0xAA, 0x55, 0x00, 0xFF};

// What the display does once a received byte has fully arrived.
struct Step {
    std::vector<std::uint8_t> reply; // bytes to send, in order
    // The last this many bytes of `reply` leave together, as soon as the first of them may:
    // noise that a busy machine cannot split with a pause a host would take for quiet.
    std::size_t burst = 0;
    int reply_delay_ms = 0;    // from the arrival of the byte to the start of the reply
    bool hang_up = false;      // drop the line once `reply` has been sent
    bool stored = false;       // memory() holds a newly written configuration
    bool check_answer = false; // `reply` answers a write request, its check byte first
    std::string note;          // what happened, for the console; empty when nothing did
    // Bytes that are no part of an exchange, in the order they came: the display's runtime
    // commands. An escape waits for the byte after it, which tells a request from a command.
    std::vector<std::uint8_t> runtime;
    bool exchange_begins = false; // a request was recognised with this byte
};

class DisplayProtocol {
public:
    DisplayProtocol(Behaviour behaviour, const ImageBytes& memory);

    // One byte from the host, at `at_ms` on any steady millisecond clock.
    Step receive(std::uint8_t byte, std::int64_t at_ms);
    // The line was dropped: whatever exchange was under way is over.
    void line_dropped();

    const ImageBytes& memory() const { return stored; }

private:
    enum class State { Idle, Escape, Date, Decision, Payload };

    Step begin(std::uint8_t byte);
    Step answer(std::vector<std::uint8_t> reply);
    void count_received(Step& step);

    Behaviour behaviour;
    ImageBytes stored;
    State state = State::Idle;
    std::uint8_t digits[8] = {};
    int digit_count = 0;
    ImageBytes payload{};
    int payload_count = 0;
    std::int64_t last_byte_ms = 0;
    int line_bytes = 0; // of the current exchange, both ways
    bool hung_up = false;
};

} // namespace pds::display
