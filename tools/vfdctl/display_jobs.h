// What vfdctl does with one display over one port: read it, or write it with the read before
// and after. Built on the same exchange routines as the window, on any SerialPort, so each
// port can run on a thread of its own.
#pragma once

#include "services/calendar.h"
#include "services/clock.h"
#include "services/serial_port.h"
#include "settings/settings_image.h"

#include <atomic>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pds::cli {

struct Link {
    SerialPort& port;
    Clock& clock;
    Calendar& calendar;
};

struct PortTarget {
    std::string name; // as given on the command line, escaped for messages
    PortChoice choice;
    std::vector<int> speeds; // bit/s, tried in this order until one gives a valid reply
};

// "Com 1" to "Com 8" as in the window; any other text is a device name.
PortChoice port_choice(const std::string& text);

// What came of one port. `result` is the one line that says it; `details` lines go below it.
struct Report {
    Report(int code = 0, std::string result = {}, std::vector<std::string> details = {})
        : code(code), result(std::move(result)), details(std::move(details)) {}

    int code = 0;
    std::string result;
    std::vector<std::string> details;
    int speed = 0;                   // bit/s the display answered at; 0 when it did not
    bool written = false;            // a write: the image went (or began to go) to the display
    std::optional<ImageBytes> found; // a write: what the display held when read before it
};

struct Reading {
    Report report;
    std::optional<ImageBytes> image; // when a valid reply came
    int speed = 0;                   // the speed it came at
};

// On success `report.result` says at which speed the display answered.
Reading read_display(Link& link, const PortTarget& target);

struct WriteRequest {
    ImageBytes image;
    bool force = false;   // write even when the display already holds the image
    bool verify = true;   // read back and compare
    int settle_ms = 1000; // between the write and the read-back, as the window pauses
};

// How far a write has got, for whoever must tell its outcome while it still runs.
enum class WriteStage {
    Reading,    // opening the port, or reading the display before the write
    Writing,    // the write request is out; the display keeps what it held until the image
    ImageBegun, // the image has begun to go out (whole, as the port sends it): it may hold it
    Done,
};

// Reads the display first (to skip an identical write, and to find the speed), writes, then
// reads back. With `force` and a single speed nothing is read first. `stage`, when given,
// follows the write from any thread.
Report write_display(Link& link, const PortTarget& target, const WriteRequest& request,
                     std::atomic<WriteStage>* stage = nullptr);

} // namespace pds::cli
