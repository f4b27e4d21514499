#include "display_protocol.h"

#include "message/hex_cells.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace pds::display {

std::uint8_t check_byte_for(const std::uint8_t (&d)[8]) {
    const int years = 10 * d[0] + d[1] - (d[2] + d[3]);
    const int month = 10 * d[4] + d[5];
    const int day = 10 * d[6] + d[7];
    // Only a large product is capped; a negative one goes through as it is.
    const int product = std::min(255, years * month);
    return static_cast<std::uint8_t>(std::abs(product - day));
}

namespace {

std::string date_of(const std::uint8_t (&d)[8]) {
    std::string text;
    for (int i = 0; i < 8; ++i) {
        if (i == 4 || i == 6)
            text += '-';
        text += d[i] <= 9 ? static_cast<char>('0' + d[i]) : '?';
    }
    return text;
}

} // namespace

DisplayProtocol::DisplayProtocol(Behaviour b, const ImageBytes& memory)
    : behaviour(b), stored(memory) {}

void DisplayProtocol::line_dropped() {
    state = State::Idle;
    digit_count = 0;
    payload_count = 0;
    line_bytes = 0;
}

Step DisplayProtocol::receive(std::uint8_t byte, std::int64_t at_ms) {
    Step step;
    // A half-received request or configuration from a host that went away must not swallow
    // the next request. While the host decides on the check byte it may take as long as the
    // answer did; a new request then simply starts over (see below).
    // An escape left alone that long began a runtime command, not a request.
    const bool escape_left = state == State::Escape && at_ms - last_byte_ms > abandon_after_ms;
    if (state != State::Idle && state != State::Decision && at_ms - last_byte_ms > abandon_after_ms)
        line_dropped();
    last_byte_ms = at_ms;
    if (escape_left) {
        step = receive(byte, at_ms);
        step.runtime.insert(step.runtime.begin(), request_escape);
        return step;
    }

    switch (state) {
    case State::Idle:
        if (byte == request_escape) {
            state = State::Escape;
            line_bytes = 0;
            count_received(step);
        } else {
            step.runtime.push_back(byte);
        }
        return step;

    case State::Escape:
        if (byte == write_request) {
            state = State::Date;
            digit_count = 0;
            count_received(step);
            step.exchange_begins = true;
        } else if (byte == read_request) {
            state = State::Idle;
            count_received(step);
            if (step.hang_up) {
                step.exchange_begins = true;
                return step;
            }
            std::vector<std::uint8_t> reply;
            if (!behaviour.silent) {
                reply.push_back(behaviour.wrong_mark ? 0x00 : proceed_mark);
                reply.insert(reply.end(), stored.begin(), stored.end());
                if (behaviour.short_reply)
                    reply.resize(
                        std::min<std::size_t>(reply.size(), std::max(0, *behaviour.short_reply)));
                reply.insert(reply.end(), std::max(0, behaviour.extra_bytes), 0x00);
            }
            step = answer(std::move(reply));
            step.note = behaviour.silent
                            ? "Read request: left unanswered"
                            : "Read request: sent " + std::to_string(step.reply.size()) + " bytes";
            if (step.hang_up)
                step.note += ", then dropped the line";
            step.exchange_begins = true;
        } else if (byte == request_escape) {
            line_bytes = 0;
            count_received(step);
            step.runtime.push_back(request_escape);
        } else {
            state = State::Idle;
            step.runtime = {request_escape, byte};
        }
        return step;

    case State::Date:
        digits[digit_count++] = byte;
        count_received(step);
        if (step.hang_up || digit_count < 8)
            return step;
        {
            const std::uint8_t check = check_byte_for(digits);
            const std::string request = "Write request dated " + date_of(digits);
            if (behaviour.silent) {
                state = State::Idle;
                step.note = request + ": left unanswered";
                return step;
            }
            const std::uint8_t first = behaviour.wrong_check ? check + 1 : check;
            std::vector<std::uint8_t> reply;
            for (int k = 0; k < std::max(1, behaviour.answer_bytes); ++k)
                reply.push_back(static_cast<std::uint8_t>(first + k));
            state = State::Decision;
            step = answer(std::move(reply));
            step.check_answer = true;
            step.note = request + ": answered check byte " + hex_cell_text(first) +
                        (behaviour.wrong_check ? " (wrong on purpose)" : "");
            if (step.hang_up)
                step.note += ", then dropped the line";
        }
        return step;

    case State::Decision:
        if (byte == proceed_mark) {
            state = State::Payload;
            payload_count = 0;
            count_received(step);
            if (!step.hang_up)
                step.note = "Host accepted the check byte: receiving a configuration";
        } else if (byte == abort_mark) {
            state = State::Idle;
            count_received(step);
            if (!step.hang_up)
                step.note = "Host refused the check byte: nothing stored";
        } else {
            // The host gave up waiting for the answer and starts something new.
            state = State::Idle;
            return receive(byte, at_ms);
        }
        return step;

    case State::Payload:
        payload[payload_count++] = byte;
        count_received(step);
        if (step.hang_up || payload_count < image_size)
            return step;
        stored = payload;
        if (behaviour.store_other)
            stored.back() ^= 0xFF;
        state = State::Idle;
        step.stored = true;
        step.note = behaviour.store_other ? "Stored a new configuration, its last byte changed "
                                            "on purpose:"
                                          : "Stored a new configuration:";
        return step;
    }
    return step;
}

void DisplayProtocol::count_received(Step& step) {
    ++line_bytes;
    if (!hung_up && behaviour.hang_up_after && line_bytes >= *behaviour.hang_up_after) {
        hung_up = true;
        step.hang_up = true;
        step.note = "Dropped the line after " + std::to_string(line_bytes) + " bytes";
        line_dropped();
    }
}

Step DisplayProtocol::answer(std::vector<std::uint8_t> reply) {
    if (!reply.empty())
        for (int k = 0; k < behaviour.trailing; ++k)
            reply.push_back(noise_bytes[k % std::size(noise_bytes)]);
    Step step;
    step.reply_delay_ms = behaviour.answer_delay_ms + behaviour.late_ms;
    if (!hung_up && behaviour.hang_up_after &&
        line_bytes + static_cast<int>(reply.size()) >= *behaviour.hang_up_after) {
        reply.resize(static_cast<std::size_t>(std::max(0, *behaviour.hang_up_after - line_bytes)));
        hung_up = true;
        step.hang_up = true;
        line_dropped();
    }
    line_bytes += static_cast<int>(reply.size());
    step.burst = std::min(reply.size(), static_cast<std::size_t>(behaviour.trailing));
    step.reply = std::move(reply);
    return step;
}

} // namespace pds::display
