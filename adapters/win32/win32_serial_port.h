// The serial port over the Win32 communications API.
#pragma once

#include "link/device_port.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct _DCB; // windows.h stays out of the header, and its macros out of every includer

namespace pds {

// A COM port opened for this program alone (another program's open is refused while it is
// open). The handle is synchronous: waits are bounded by COMMTIMEOUTS rather than by overlapped
// events, so every call returns within the time it was given and nothing runs in the
// background. Output the system does not take at once is kept here and offered again on every
// poll.
class Win32SerialPort : public DeviceSerialPort {
public:
    Win32SerialPort();
    ~Win32SerialPort() override;
    Win32SerialPort(const Win32SerialPort&) = delete;
    Win32SerialPort& operator=(const Win32SerialPort&) = delete;

    void close() override;
    bool is_open() const override;

    int bytes_waiting() override;
    std::vector<std::uint8_t> read_all() override;
    void queue(std::span<const std::uint8_t> bytes) override;
    int bytes_pending() override;

    void wait_for_activity(int max_ms) override;
    bool device_lost() const override;
    double ms_per_character() const override;

    void begin_unbroken() override;
    void end_unbroken() override;

protected:
    std::optional<PortFailure> open_device(const std::string& device,
                                           const LineSettings& line) override;

private:
    bool live() const;
    // What the system holds: received bytes not yet read, bytes not yet sent.
    bool queue_counts(unsigned long& received_count, unsigned long& unsent_count);
    // Reads what has arrived, waiting up to wait_ms for the first byte when nothing has.
    void take_input(int wait_ms);
    void push_output();
    bool set_read_wait(int wait_ms);
    void give_up_device();

    void* handle = nullptr;                // while open
    void* claim = nullptr;                 // the port's name, held while open
    std::unique_ptr<_DCB> settings_before; // the line settings the port had, put back on close
    std::vector<std::uint8_t> received;    // read from the device, not yet taken by read_all
    std::vector<std::uint8_t> outgoing;    // queued, not yet taken by the system
    int read_wait_set = -1;                // the read wait COMMTIMEOUTS holds now, in ms
    double character_ms = 1.0;
    bool opened = false; // from a successful open until close, even after the device went away
    bool lost = false;
};

} // namespace pds
