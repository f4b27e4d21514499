#include "link/write_exchange.h"

#include "link/date_check.h"
#include "link/port_routines.h"

#include <span>

namespace pds {

namespace {

class Sender {
public:
    Sender(SerialPort& port, Clock& clock) : port_(port), clock_(clock) {}

    // False at the first byte that fails to leave; the bytes after it are not queued.
    bool send(std::span<const std::uint8_t> bytes) {
        for (auto b : bytes)
            if (!send_bytes(port_, clock_, b))
                return false;
        return true;
    }
    WriteOutcome failure() const {
        return port_.device_lost() ? WriteOutcome::DeviceLost : WriteOutcome::LineStuck;
    }

private:
    SerialPort& port_;
    Clock& clock_;
};

class Unbroken {
public:
    explicit Unbroken(SerialPort& port) : port_(port) { port_.begin_unbroken(); }
    ~Unbroken() { port_.end_unbroken(); }
    Unbroken(const Unbroken&) = delete;
    Unbroken& operator=(const Unbroken&) = delete;

private:
    SerialPort& port_;
};

} // namespace

WriteOutcome write_exchange(SerialPort& port, Clock& clock, Calendar& calendar,
                            const ImageBytes& payload) {
    Sender sender(port, clock);
    if (!wait_quiet(port, clock))
        return WriteOutcome::NeverQuiet;
    if (!sender.send(write_request))
        return sender.failure();

    const DateDigits digits = date_digits(calendar.today());
    const int expected = irc_value(digits);
    // Only what arrives once the last digit is on its way can be the check byte.
    if (!send_request_end(port, clock, digits))
        return sender.failure();

    wait_input(port, clock, 1, check_answer_limit_ms);
    if (port.device_lost())
        return WriteOutcome::DeviceLost;
    if (port.bytes_waiting() == 0)
        return WriteOutcome::NoAnswer;
    const auto answer = port.read_all(); // only the first byte counts
    if (answer.empty())
        return WriteOutcome::NoAnswer;
    if (answer.front() != expected) {
        const std::uint8_t refuse[] = {check_refused};
        return sender.send(refuse) ? WriteOutcome::CheckRefused : sender.failure();
    }

    const std::uint8_t accept[] = {check_accepted};
    {
        // After 0xAA the display counts 126 bytes as its new configuration.
        const Unbroken whole(port);
        if (!sender.send(accept) || !sender.send(payload))
            return sender.failure();
    }
    // The display does not answer the image; whatever it sent is of no use.
    discard_input(port);
    return WriteOutcome::Written;
}

} // namespace pds
