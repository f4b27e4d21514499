// The serial port as the transfers use it. The core polls it; it never gets callbacks.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pds {

// Which port the operator chose: the number of the selected "Com N" entry, or 0 when the
// text typed into the box selects no entry (then `typed` may name a device such as
// /dev/ttyUSB0 or COM12).
struct PortChoice {
    int number = 0;
    std::string typed;
};

enum class Parity { None, Even, Odd, Mark, Space };
enum class StopBits { One, OneAndHalf, Two };

// The line format of an open port, parsed from its text once in the core.
struct LineSettings {
    int speed = 9600; // bit/s
    Parity parity = Parity::None;
    int data_bits = 8;
    StopBits stop_bits = StopBits::One;
    bool operator==(const LineSettings&) const = default;
};

// Either the device a port choice stands for, or why it stands for none.
struct PortDevice {
    std::optional<std::string> device;
    std::string reason;
};

// Why a port could not be configured or opened.
struct PortFailure {
    // NeverQuiet: the port opened, but something kept sending on its line, so no request was
    // sent into it. New kinds go last: the browser's adapter passes them by number.
    enum class Kind { BadSettings, NoSuchPort, NotAPort, Permission, InUse, Other, NeverQuiet };
    Kind kind = Kind::Other;
    std::string device; // the device the choice maps to, empty when it maps to none
    // The system's words; NotAPort: what the path is, e.g. "a regular file"; InUse: the program
    // that holds the port, e.g. "ModemManager (process 812)", empty when the system hides it.
    std::string reason;
};

class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Which device the next open() opens.
    virtual void set_port(const PortChoice& choice) = 0;
    // The line settings of the next open().
    virtual void set_settings(const LineSettings& settings) = 0;
    // The device the chosen port stands for, or why it stands for none; nothing is opened.
    virtual PortDevice find_device() = 0;
    // On failure the port stays closed and nothing has been sent.
    virtual std::optional<PortFailure> open() = 0;
    virtual void close() = 0;
    // From a successful open() until close(), even after the device has gone away.
    virtual bool is_open() const = 0;

    // Received bytes not yet taken.
    virtual int bytes_waiting() = 0;
    // Takes every received byte.
    virtual std::vector<std::uint8_t> read_all() = 0;
    // Queues bytes for sending; they leave the port in the background.
    virtual void queue(std::span<const std::uint8_t> bytes) = 0;
    // Queued bytes that have not yet left the port.
    virtual int bytes_pending() = 0;

    // Blocks until input arrives, output drains or the device fails, or at most max_ms, so a
    // poll loop sleeps between polls instead of spinning.
    virtual void wait_for_activity(int max_ms) = 0;
    // True once the open device has gone away (hang-up, I/O error).
    virtual bool device_lost() const = 0;
    // How long one character takes on the line at the settings the port was opened with, so
    // the core can tell a line that has fallen silent from one between two bytes.
    virtual double ms_per_character() const = 0;

    // Around bytes that must reach the device whole once the first has gone: a display that
    // got part of its configuration takes whatever comes next for the rest. A program that can
    // be told to end holds the request back from the first call until the second.
    virtual void begin_unbroken() {}
    virtual void end_unbroken() {}
};

} // namespace pds
