// Requests to end the program (SIGINT, SIGTERM, SIGHUP) as the programs obey them: never in
// the middle of bytes a port must send whole, and with every open port's line settings put
// back first. POSIX only; the core knows nothing of it but SerialPort's unbroken runs.
#pragma once

#include <functional>
#include <string>
#include <termios.h>
#include <thread>

namespace pds {

// The status of a program that ends on `signal`, as a shell reports one that it killed.
constexpr int status_after(int signal) {
    return 128 + signal;
}

// Puts back the line settings of every port still open and ends the program at once with
// status_after(signal). Destructors do not run: other threads may be in the middle of a
// transfer, and what they hold is released by the system.
[[noreturn]] void end_program(int signal);

// Catches SIGINT, SIGTERM and SIGHUP, except those ignored when it starts (as nohup leaves
// them), for as long as it lives; one at a time per process. `obey` runs on a thread of its own
// for each request once no port is in an unbroken run; a port that begins a run meanwhile
// waits until `obey` has returned, and forever when it ends the program.
class TerminationGuard {
public:
    explicit TerminationGuard(std::function<void(int signal)> obey);
    ~TerminationGuard();
    TerminationGuard(const TerminationGuard&) = delete;
    TerminationGuard& operator=(const TerminationGuard&) = delete;

private:
    void watch();

    std::function<void(int signal)> obey_;
    int pipe_[2] = {-1, -1};
    std::thread watcher_;
};

// What the serial port adapter reports.
void begin_unbroken_run();
void end_unbroken_run();
// `descriptor` is open on a port whose line settings were `before`, until unwatch_port.
void watch_port(int descriptor, const termios& before);
// The lock file that marks the port of `descriptor` as taken, removed as a normal close removes
// it when the program ends on a request instead; forgotten by unwatch_port or
// unwatch_lock_file.
void watch_lock_file(int descriptor, std::string path);
void unwatch_lock_file(int descriptor);
// Puts back the port's settings and closes `descriptor`.
void unwatch_port(int descriptor);

} // namespace pds
