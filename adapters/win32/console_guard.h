// Requests to end a console program as the programs obey them on Windows: never in the middle
// of bytes a port must send whole, and with every open port's line settings put back first.
// The counterpart of adapters/posix/termination_guard.h, with the same names, so a program
// includes one or the other. Ctrl-C and Ctrl-Break count as SIGINT, a closed console window
// as SIGHUP, log-off and shut-down as SIGTERM, so scripts see the same statuses everywhere.
#pragma once

#include <functional>

struct _DCB;

namespace pds {

inline constexpr int console_hang_up = 1;    // SIGHUP's number
inline constexpr int console_interrupt = 2;  // SIGINT's
inline constexpr int console_terminate = 15; // SIGTERM's

// The status of a program that ends on `signal`, as a POSIX shell reports one that it killed.
constexpr int status_after(int signal) {
    return 128 + signal;
}

// Puts back the line settings of every port still open and ends the program at once with
// status_after(signal). Destructors do not run: other threads may be in the middle of a
// transfer, and what they hold is released by the system.
[[noreturn]] void end_program(int signal);

// Takes the console's control events for as long as it lives; one at a time per process.
// `obey` runs on the thread Windows starts for the event, once no port is in an unbroken run;
// a port that begins a run meanwhile waits until `obey` has returned, and forever when it ends
// the program.
class TerminationGuard {
public:
    explicit TerminationGuard(std::function<void(int signal)> obey);
    ~TerminationGuard();
    TerminationGuard(const TerminationGuard&) = delete;
    TerminationGuard& operator=(const TerminationGuard&) = delete;
};

// What the serial port adapter reports.
void begin_unbroken_run();
void end_unbroken_run();
// `handle` is open on a port whose line settings were `before`, until unwatch_port.
void watch_port(void* handle, const _DCB& before);
void unwatch_port(void* handle);

} // namespace pds
