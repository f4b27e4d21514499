#pragma once

#include "link/device_port.h"

#include <filesystem>
#include <memory>

class QSerialPort;

namespace pds {

class SharedHolderLook;

// The serial port over QSerialPort. It never relies on signals or a running event loop: input
// is fetched and output pushed whenever the core polls, and waits block on the device. So it
// works on the window's thread and on a worker thread alike; the QSerialPort is created by the
// open on the calling thread and lives no longer than the port is open.
class QtSerialPort : public DeviceSerialPort {
public:
    // A port that another process holds open is refused, naming it, where the system shows
    // other processes' files under `proc_root` (/proc on Linux); empty: not looked for.
    explicit QtSerialPort(std::filesystem::path proc_root = {});
    // The same, where the ports of a run opened at once share one look (POSIX, see
    // port_holders.h).
    explicit QtSerialPort(std::shared_ptr<SharedHolderLook> shared_look);
    ~QtSerialPort() override;
    QtSerialPort(const QtSerialPort&) = delete;
    QtSerialPort& operator=(const QtSerialPort&) = delete;

    void close() override;
    bool is_open() const override;

    int bytes_waiting() override;
    std::vector<std::uint8_t> read_all() override;
    void queue(std::span<const std::uint8_t> bytes) override;
    int bytes_pending() override;

    void wait_for_activity(int max_ms) override;
    bool device_lost() const override;
    double ms_per_character() const override;

    // A program that can be told to end (see termination_guard.h) finishes the run first.
    void begin_unbroken() override;
    void end_unbroken() override;

protected:
    std::string unavailable(const LineSettings& line) const override;
    std::optional<PortFailure> open_device(const std::string& device,
                                           const LineSettings& line) override;

private:
    bool live() const;
    bool take_buffered();
    void service(int timeout_ms);
    int output_queued();
    void notice_failure();
    void give_up_device();
    void let_go_of_device();
    void close_qt_port();

    std::filesystem::path proc_root;
    std::shared_ptr<SharedHolderLook> shared_look; // instead of a look at proc_root per open
    std::unique_ptr<QSerialPort> port;
    std::vector<std::uint8_t> received; // read from the device, not yet taken by read_all
    double character_ms = 1.0;
    bool opened = false; // from a successful open until close, even after the device went away
    bool lost = false;
    int own_descriptor = -1; // on the device while it is open (POSIX), see claim_device
    std::string lock_file;   // Qt's for the open port, removed once it is open (POSIX)
};

} // namespace pds
