// The serial port over the browser's Web Serial API. The JavaScript half (web_serial.js) owns
// the SerialPort object, its reader and writer; each wait here suspends the core through
// Asyncify so the page keeps running while a transfer waits.
#pragma once

#include "link/device_port.h"

namespace pds {

class WebSerialPort : public DeviceSerialPort {
public:
    ~WebSerialPort() override;

    // The port the page offers for the choice, named by its label.
    PortDevice find_device() override;
    void close() override;
    bool is_open() const override;

    int bytes_waiting() override;
    std::vector<std::uint8_t> read_all() override;
    void queue(std::span<const std::uint8_t> bytes) override;
    int bytes_pending() override;

    void wait_for_activity(int max_ms) override;
    bool device_lost() const override;
    double ms_per_character() const override;

protected:
    std::string unavailable(const LineSettings& line) const override;
    std::optional<PortFailure> open_device(const std::string& device,
                                           const LineSettings& line) override;

private:
    bool opened = false;
    double character_ms = 0;
};

} // namespace pds
