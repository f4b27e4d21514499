// Finding the port and speed a display answers on: the probe of one port at 9600, then 19200
// bit/s, and the window's "Find..." built on it.
#pragma once

#include "editor/editor.h"
#include "link/probe_exchange.h"
#include "services/clock.h"
#include "services/port_list.h"
#include "services/serial_port.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pds {

// The speeds a display can be set to, in the order a probe tries them.
inline constexpr int probe_speeds[] = {9600, 19200};

struct PortProbe {
    enum class Result { Found, NoDisplay, Failed, Cancelled };
    Result result = Result::NoDisplay;
    int speed = 0;                   // Found: the speed it answered at
    std::optional<ImageBytes> image; // Found
    SpeedProbe last;                 // what the last speed tried gave
};

// Tries each of probe_speeds until a display answers; a port that cannot be opened or whose
// device goes away is not tried at the next speed. While it waits it asks `cancelled` every
// few milliseconds; once that says yes the exchange ends at once, nothing more is sent, the
// port is closed and the result is Cancelled. `before_speed` hears of each speed as it begins.
PortProbe probe_port(SerialPort& port, Clock& clock, const PortChoice& choice,
                     const std::function<bool()>& cancelled = {},
                     const std::function<void(int)>& before_speed = {});

// A port the window's Find probes, and the name it is shown by.
struct FindCandidate {
    PortChoice choice;
    std::string name;
    bool from_box = false; // the port the Comm box names already
};

// The device a port choice stands for, as the port adapter names devices: "Com 1" is
// /dev/ttyS0 or COM1 to a system's adapter, the first granted port to the browser's.
using PortNaming = std::function<PortDevice(const PortChoice&)>;

// The port in the Comm box first, when it names a device, then every listed port that is not
// that device.
std::vector<FindCandidate> find_candidates(const EditorModel& model,
                                           const std::vector<SystemPort>& listed,
                                           const PortNaming& naming);

// What the window shows while Find runs, and how the operator stops it.
class FindProgress {
public:
    virtual ~FindProgress() = default;
    // Before each port and speed: `done` of `total` steps, and which comes next.
    virtual void next_step(int done, int total, const std::string& port, int speed) = 0;
    // Asked often while a port is awaited; true once the operator has cancelled.
    virtual bool cancelled() = 0;
    // The probe is over, whatever its end; before any box is shown.
    virtual void finished() = 0;
};

inline constexpr const char* find_title = "Find the display";
inline constexpr const char* find_looking_text = "Looking for a display...";

// What the progress says before a port and speed: "Asking COM3 at 9600 bit/s...".
std::string find_step_text(const std::string& port, int speed);

// "Find...": asks once, probes every candidate and, where a display answers, selects its port
// and the Baud entry of its speed. Nothing else changes, and nothing at all when none answers
// or the operator cancels.
void find_display(Editor& editor, FindProgress& progress);

} // namespace pds
