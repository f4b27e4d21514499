// Speaking to the display in its run-time command set: show text, clear it, set brightness, run
// its self-test, or the fixed test sequence. The display's configuration is read first (the
// read stores nothing) to learn its command set and code page; a set chosen by the caller
// skips the read, for a display that does not answer it.
#pragma once

#include "services/clock.h"
#include "services/serial_port.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pds {

enum class DisplayAction {
    ShowLines, // the given line(s); a line not given is left as it is
    Clear,
    Brightness, // brightness_level
    SelfTest,
    Test, // clear, the test lines, each brightness level the set has, clear; self-test on request
};

// The first test line; the second holds national characters of the display's code page.
inline constexpr const char* test_line_1 = "0123456789ABCDEFGHIJ";

struct DisplayTestRequest {
    PortChoice port;
    std::optional<int> speed;       // none: 9600 then 19200 bit/s, as Find probes
    std::optional<int> command_set; // a place in the Command list; none: the display's own
    std::optional<int> code_page;   // with a chosen set: a place in the Char list; none: CP-437
    DisplayAction action = DisplayAction::Test;
    std::optional<std::string> line_1; // ShowLines: UTF-8 text, cut to 20 characters
    std::optional<std::string> line_2;
    int brightness_level = 4; // Brightness: 1 (dimmest) to 4
    bool self_test = false;   // Test: end with the display's self-test
    int step_ms = 1000;       // Test: how long each step stays on the display
};

struct DisplayTestOutcome {
    enum class Result {
        Done,
        Refused,    // the set, the action or a character cannot be sent; nothing was
        NoDisplay,  // no display answered the read at any speed tried; nothing was
        PortFailed, // the port could not be opened, or its line never fell quiet
        LineLost,   // the device went away or a write would not leave
        Cancelled,  // stopped on request; what was sent is in `sent`
    };
    Result result = Result::NoDisplay;
    int command_set = -1;       // the set used; -1 when none is known
    std::string set_name;       // its name in the Command list
    bool set_read = false;      // true: the display reported it; false: the caller chose it
    int code_page = -1;         // the code page used, -1 when none is known
    std::string code_page_name; // as the Char list names it, e.g. "Russian (CP-866)"
    int speed = 0;              // the speed spoken at; 0 when no port opened
    std::vector<std::vector<std::uint8_t>> sent; // every write after the read, in order
    std::vector<std::string> notes;              // e.g. "line 1 cut to 20 characters"
    std::optional<PortFailure> failure;          // PortFailed
    std::string message; // empty when Done; otherwise the reason in a few words
};

// Sends nothing when a chosen set, the action or a character is refused. `cancelled` is asked
// between steps and while waiting; once it says yes nothing more is sent and the port closes.
DisplayTestOutcome test_display(SerialPort& port, Clock& clock, const DisplayTestRequest& request,
                                const std::function<bool()>& cancelled = {});

// The national characters of a code page shown by the test's second line, as UTF-8: its first
// 20 letters beyond ASCII.
std::string national_line(int code_page);

} // namespace pds
