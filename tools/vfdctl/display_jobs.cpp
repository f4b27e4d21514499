#include "display_jobs.h"

#include "exit_codes.h"
#include "inspect/describe.h"
#include "link/forwarding_port.h"
#include "link/link_settings.h"
#include "link/port_failure_message.h"
#include "link/port_routines.h"
#include "link/read_exchange.h"
#include "link/serial_line.h"
#include "link/write_exchange.h"
#include "message/hex_cells.h"
#include "settings/option_lists.h"
#include "shown_name.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace pds::cli {

namespace {

std::string at_speed(int speed) {
    return "at " + std::to_string(speed) + " bit/s";
}

std::string open_failure_text(const PortFailure& failure) {
    std::string text = "cannot open";
    if (!failure.device.empty())
        text += " " + shown_name(failure.device);
    switch (failure.kind) {
    case PortFailure::Kind::NotAPort:
        return text + ": not a serial port but " + escaped_text(failure.reason);
    case PortFailure::Kind::InUse:
        return text + ": " + escaped_text(in_use_words(failure));
    default:
        break;
    }
    if (!failure.reason.empty())
        text += ": " + escaped_text(failure.reason);
    return text;
}

std::string hex(std::uint8_t byte) {
    return "0x" + hex_cell_text(byte);
}

Report read_failure(const ReadResult& result, int speed) {
    switch (result.outcome) {
    case ReadOutcome::Received:
        break;
    case ReadOutcome::NeverQuiet:
        return {exit_port_unavailable, never_quiet_words, {}};
    case ReadOutcome::NoAnswer:
        return {exit_no_answer,
                "no answer within " + std::to_string(first_reply_byte_limit_ms) + " ms " +
                    at_speed(speed),
                {}};
    case ReadOutcome::LineStuck:
        return {exit_line_lost,
                "the read request did not leave the port within " + std::to_string(send_limit_ms) +
                    " ms " + at_speed(speed),
                {}};
    case ReadOutcome::LostBeforeReply:
    case ReadOutcome::LostDuringReply:
        return {exit_line_lost, "the device went away during the read " + at_speed(speed), {}};
    case ReadOutcome::Short:
        return {exit_bad_reply,
                "short reply " + at_speed(speed) + ": " + std::to_string(result.reply.size()) +
                    " of " + std::to_string(reply_length) + " bytes within " +
                    std::to_string(rest_of_reply_limit_ms) + " ms",
                {}};
    case ReadOutcome::BadMark:
        return {exit_bad_reply,
                "bad reply " + at_speed(speed) + ": it starts with " + hex(result.reply.front()) +
                    ", not " + hex(reply_mark_value),
                {}};
    }
    return {};
}

Report write_failure(WriteOutcome outcome, int speed) {
    switch (outcome) {
    case WriteOutcome::Written:
        break;
    case WriteOutcome::NeverQuiet:
        return {exit_port_unavailable, never_quiet_words, {}};
    case WriteOutcome::NoAnswer:
        return {exit_no_answer,
                "no check byte within " + std::to_string(check_answer_limit_ms) + " ms " +
                    at_speed(speed) + "; nothing written",
                {}};
    case WriteOutcome::CheckRefused:
        return {exit_check_refused,
                "wrong check byte " + at_speed(speed) + "; refused with " + hex(check_refused) +
                    ", nothing written",
                {}};
    case WriteOutcome::LineStuck:
        return {exit_line_lost,
                "the write did not leave the port within " + std::to_string(send_limit_ms) +
                    " ms " + at_speed(speed),
                {}};
    case WriteOutcome::DeviceLost:
        return {exit_line_lost, "the device went away during the write " + at_speed(speed), {}};
    }
    return {};
}

// The port as the write exchange uses it, noting when the image begins: that is where the
// exchange asks for an unbroken run. Noted once the run is granted, so that a stop obeyed
// before it finds the display untouched.
class ImageWatch : public ForwardingSerialPort {
public:
    ImageWatch(SerialPort& port, std::atomic<WriteStage>* stage)
        : ForwardingSerialPort(port), stage(stage) {}

    void begin_unbroken() override {
        inner.begin_unbroken();
        began = true;
        if (stage)
            *stage = WriteStage::ImageBegun;
    }
    bool image_began() const { return began; }

private:
    std::atomic<WriteStage>* stage;
    bool began = false;
};

// A display that answers garbled or not at all may be listening at the other speed; one
// that went away or cannot be opened will not do better at another.
bool worth_another_speed(int code) {
    return code == exit_no_answer || code == exit_bad_reply;
}

} // namespace

PortChoice port_choice(const std::string& text) {
    const auto entry = std::find(comm_entries.begin(), comm_entries.end(), text);
    if (entry != comm_entries.end())
        return {static_cast<int>(entry - comm_entries.begin()) + 1, {}};
    return {0, text};
}

Reading read_display(Link& link, const PortTarget& target) {
    std::vector<Report> failures;
    for (const int speed : target.speeds) {
        if (const auto failure = open_port(link.port, target.choice, plain_line(speed)))
            return {{exit_port_unavailable, open_failure_text(*failure), {}}, std::nullopt, 0};
        const ReadResult result = read_exchange(link.port, link.clock);
        link.port.close();

        if (result.outcome == ReadOutcome::Received) {
            Reading reading;
            reading.image.emplace();
            std::copy(result.reply.begin() + 1, result.reply.end(), reading.image->begin());
            reading.speed = speed;
            reading.report.speed = speed;
            reading.report.result = target.speeds.size() > 1
                                        ? std::to_string(speed) + " bit/s answered"
                                        : "read " + at_speed(speed);
            return reading;
        }
        failures.push_back(read_failure(result, speed));
        if (!worth_another_speed(failures.back().code))
            break;
    }

    // Of several speeds, a garbled reply says more than silence.
    Reading reading;
    reading.report = failures.front();
    for (std::size_t i = 1; i < failures.size(); ++i) {
        reading.report.result += "; " + failures[i].result;
        if (failures[i].code != exit_no_answer)
            reading.report.code = failures[i].code;
    }
    return reading;
}

// The write itself, from the read before to the read-back.
static Report write_stages(Link& link, const PortTarget& target, const WriteRequest& request,
                           std::atomic<WriteStage>* stage) {
    int speed = target.speeds.front();
    std::optional<ImageBytes> found;
    if (!request.force || target.speeds.size() > 1) {
        const Reading before = read_display(link, target);
        if (!before.image) {
            Report report = before.report;
            report.result = "not written: the read before the write failed: " + report.result;
            return report;
        }
        speed = before.speed;
        found = before.image;
    }
    // What came of the write, with what is known of the display so far.
    const auto after_write = [&](Report report, bool written) {
        report.speed = speed;
        report.written = written;
        report.found = found;
        return report;
    };
    if (found && *found == request.image && !request.force)
        return after_write(
            {exit_success, "already holds these settings " + at_speed(speed) + "; nothing written"},
            false);

    if (const auto failure = open_port(link.port, target.choice, plain_line(speed)))
        return after_write({exit_port_unavailable, open_failure_text(*failure), {}}, false);
    if (stage)
        *stage = WriteStage::Writing;
    ImageWatch watched(link.port, stage);
    const WriteOutcome outcome = write_exchange(watched, link.clock, link.calendar, request.image);
    link.port.close();
    // A write that failed once the image had begun may still have changed the display.
    if (outcome != WriteOutcome::Written)
        return after_write(write_failure(outcome, speed), watched.image_began());
    if (!request.verify)
        return after_write({exit_success, "written " + at_speed(speed) + "; not verified", {}},
                           true);

    std::this_thread::sleep_for(std::chrono::milliseconds(request.settle_ms));
    const Reading after = read_display(link, {target.name, target.choice, {speed}});
    if (!after.image) {
        Report report = after.report;
        report.result =
            "written " + at_speed(speed) + ", but the read-back failed: " + report.result;
        return after_write(report, true);
    }
    if (*after.image != request.image)
        return after_write({exit_verify_mismatch,
                            "written " + at_speed(speed) +
                                ", but the display reads back other settings (written -> read "
                                "back):",
                            describe_differences(request.image, *after.image)},
                           true);
    return after_write({exit_success, "written and verified " + at_speed(speed), {}}, true);
}

Report write_display(Link& link, const PortTarget& target, const WriteRequest& request,
                     std::atomic<WriteStage>* stage) {
    Report report = write_stages(link, target, request, stage);
    if (stage)
        *stage = WriteStage::Done;
    return report;
}

} // namespace pds::cli
