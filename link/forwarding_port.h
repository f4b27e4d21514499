// A serial port that hands every call to another, for wrappers that change only a few.
#pragma once

#include "services/serial_port.h"

namespace pds {

class ForwardingSerialPort : public SerialPort {
public:
    explicit ForwardingSerialPort(SerialPort& inner) : inner(inner) {}

    void set_port(const PortChoice& choice) override { inner.set_port(choice); }
    void set_settings(const LineSettings& settings) override { inner.set_settings(settings); }
    PortDevice find_device() override { return inner.find_device(); }
    std::optional<PortFailure> open() override { return inner.open(); }
    void close() override { inner.close(); }
    bool is_open() const override { return inner.is_open(); }
    int bytes_waiting() override { return inner.bytes_waiting(); }
    std::vector<std::uint8_t> read_all() override { return inner.read_all(); }
    void queue(std::span<const std::uint8_t> bytes) override { inner.queue(bytes); }
    int bytes_pending() override { return inner.bytes_pending(); }
    void wait_for_activity(int max_ms) override { inner.wait_for_activity(max_ms); }
    bool device_lost() const override { return inner.device_lost(); }
    double ms_per_character() const override { return inner.ms_per_character(); }
    void begin_unbroken() override { inner.begin_unbroken(); }
    void end_unbroken() override { inner.end_unbroken(); }

protected:
    SerialPort& inner;
};

} // namespace pds
