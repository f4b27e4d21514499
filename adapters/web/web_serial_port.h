// The serial port over the browser's Web Serial API. The JavaScript half (web_serial.js) owns
// the SerialPort object, its reader and writer; each wait here suspends the core through
// Asyncify so the page keeps running while a transfer waits.
#pragma once

#include "services/serial_port.h"

namespace pds {

class WebSerialPort : public SerialPort {
public:
    ~WebSerialPort() override;

    void set_port(const PortChoice& choice) override;
    void set_settings(const std::string& settings) override;
    std::optional<PortFailure> open() override;
    void close() override;
    bool is_open() const override;

    int bytes_waiting() override;
    std::vector<std::uint8_t> read_all() override;
    void queue(std::span<const std::uint8_t> bytes) override;
    int bytes_pending() override;

    void wait_for_activity(int max_ms) override;
    bool device_lost() const override;
    double ms_per_character() const override;

private:
    PortChoice choice;
    std::string settings = "9600,n,8,1";
    bool opened = false;
    double character_ms = 0;
};

} // namespace pds
