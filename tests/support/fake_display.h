// Plays the pole display at the far end of a ScriptedPort: answers the write exchange with a
// scripted check byte and the read exchange with a scripted reply, and keeps what it was sent.
#pragma once

#include "settings/settings_image.h"
#include "support/fake_services.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace pds::fakes {

class ScriptedDisplay {
public:
    explicit ScriptedDisplay(ScriptedPort& p) : port(p) {
        port.on_sent = [this](std::uint8_t b) { receive(b); };
    }

    // The mark and the 126 bytes a display sends back for a read.
    static std::vector<std::uint8_t> reply_of(const ImageBytes& payload, std::uint8_t mark = 0xAA) {
        std::vector<std::uint8_t> reply(payload.size() + 1);
        reply[0] = mark;
        std::copy(payload.begin(), payload.end(), reply.begin() + 1);
        return reply;
    }

    // Write exchange: the bytes sent once the eight date digits are in; empty stays silent.
    std::vector<std::uint8_t> check_answer{0x8A}; // right for 2026-12-06
    std::uint32_t answer_delay_ms = 20;

    // Read exchange: the bytes sent for 1B EE; empty stays silent. With rest_delay_ms set, the
    // first byte comes after reply_delay_ms and the others rest_delay_ms after it.
    std::vector<std::uint8_t> reply;
    std::uint32_t reply_delay_ms = 20;
    std::optional<std::uint32_t> rest_delay_ms;

    // Line noise after every answer, one byte a millisecond from the moment the answer is in.
    std::vector<std::uint8_t> trailing;

    // What it took in.
    std::optional<std::vector<std::uint8_t>> stored; // the bytes after 0xAA, once 126 are in
    int refusals = 0;                                // 0x55 received in place of 0xAA
    int read_requests = 0;

private:
    enum class State { Idle, Escape, Date, Check, Image };

    void receive(std::uint8_t b) {
        // Like the real display, a pause in the middle of an exchange abandons it.
        if (state != State::Idle &&
            static_cast<std::int32_t>(port.clock.now - last_byte_at) > gap_limit_ms)
            state = State::Idle;
        last_byte_at = port.clock.now;
        switch (state) {
        case State::Idle:
            state = b == 0x1B ? State::Escape : State::Idle;
            break;
        case State::Escape:
            state = State::Idle;
            if (b == 0xEF) {
                state = State::Date;
                collected.clear();
            } else if (b == 0xEE) {
                answer_read();
            }
            break;
        case State::Date:
            collected.push_back(b);
            if (collected.size() == 8) {
                if (!check_answer.empty())
                    send(answer_delay_ms, check_answer);
                state = State::Check;
            }
            break;
        case State::Check:
            state = b == 0x1B ? State::Escape : State::Idle;
            if (b == 0xAA) {
                state = State::Image;
                collected.clear();
            } else if (b == 0x55) {
                ++refusals;
            }
            break;
        case State::Image:
            collected.push_back(b);
            if (collected.size() == image_size) {
                stored = collected;
                state = State::Idle;
            }
            break;
        }
    }

    void answer_read() {
        ++read_requests;
        if (reply.empty())
            return;
        if (!rest_delay_ms) {
            send(reply_delay_ms, reply);
            return;
        }
        port.arrive_in(reply_delay_ms, {reply.front()});
        send(reply_delay_ms + *rest_delay_ms, {reply.begin() + 1, reply.end()});
    }

    void send(std::uint32_t delay_ms, std::vector<std::uint8_t> answer) {
        port.arrive_in(delay_ms, std::move(answer));
        for (std::size_t i = 0; i < trailing.size(); ++i)
            port.arrive_in(delay_ms + 1 + static_cast<std::uint32_t>(i), {trailing[i]});
    }

    static constexpr std::int32_t gap_limit_ms = 1000;

    ScriptedPort& port;
    State state = State::Idle;
    std::uint32_t last_byte_at = 0;
    std::vector<std::uint8_t> collected;
};

} // namespace pds::fakes
