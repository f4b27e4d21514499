#include "link/read_exchange.h"

#include "link/port_routines.h"

namespace pds {

ReadResult read_exchange(SerialPort& port, Clock& clock, const ReadLimits& limits) {
    if (!wait_quiet(port, clock))
        return {ReadOutcome::NeverQuiet, {}};
    // A mark waiting before the request is complete cannot be the display's.
    if (!send_request_end(port, clock, read_request))
        return {port.device_lost() ? ReadOutcome::LostBeforeReply : ReadOutcome::LineStuck, {}};

    wait_input(port, clock, 1, limits.first_byte_ms);
    if (port.device_lost())
        return {ReadOutcome::LostBeforeReply, {}};
    if (port.bytes_waiting() <= 0)
        return {ReadOutcome::NoAnswer, {}};

    // The second limit counts from the first byte, not from the request.
    wait_input(port, clock, reply_length, limits.rest_ms);
    if (port.device_lost())
        return {ReadOutcome::LostDuringReply, {}};

    ReadResult result;
    result.reply = port.read_all();
    if (static_cast<int>(result.reply.size()) < reply_length) {
        result.outcome = ReadOutcome::Short;
        return result;
    }
    result.reply.resize(reply_length); // later bytes are not part of the reply
    result.outcome =
        result.reply.front() == reply_mark_value ? ReadOutcome::Received : ReadOutcome::BadMark;
    return result;
}

} // namespace pds
