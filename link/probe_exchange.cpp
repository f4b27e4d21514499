#include "link/probe_exchange.h"

#include "link/link_settings.h"
#include "link/serial_line.h"

#include <algorithm>
#include <cmath>

namespace pds {

std::int32_t probe_rest_limit_ms(double ms_per_character) {
    return static_cast<std::int32_t>(std::ceil(reply_length * ms_per_character)) +
           probe_first_byte_limit_ms;
}

SpeedProbe probe_at_speed(SerialPort& port, Clock& clock, const PortChoice& choice, int speed) {
    SpeedProbe probe;
    if (auto failure = open_port(port, choice, plain_line(speed))) {
        probe.outcome = ProbeOutcome::CannotOpen;
        probe.failure = std::move(failure);
        return probe;
    }
    const ReadResult result = read_exchange(
        port, clock, {probe_first_byte_limit_ms, probe_rest_limit_ms(port.ms_per_character())});
    port.close();

    probe.read = result.outcome;
    switch (result.outcome) {
    case ReadOutcome::Received:
        probe.outcome = ProbeOutcome::Answered;
        probe.image.emplace();
        std::copy(result.reply.begin() + 1, result.reply.end(), probe.image->begin());
        break;
    case ReadOutcome::NeverQuiet:
        probe.outcome = ProbeOutcome::NeverQuiet;
        break;
    case ReadOutcome::NoAnswer:
    case ReadOutcome::Short:
    case ReadOutcome::BadMark:
        probe.outcome = ProbeOutcome::NoDisplay;
        break;
    case ReadOutcome::LineStuck:
    case ReadOutcome::LostBeforeReply:
    case ReadOutcome::LostDuringReply:
        probe.outcome = ProbeOutcome::LineLost;
        break;
    }
    return probe;
}

} // namespace pds
