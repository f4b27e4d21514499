#include "adapters/posix/termination_guard.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <sys/ioctl.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace pds {

namespace {

constexpr std::array<int, 3> requests = {SIGINT, SIGTERM, SIGHUP};

// Shared by every thread. Recursive, so that end_program may be called from `obey`, which
// runs with it held.
struct State {
    std::recursive_mutex mutex;
    std::condition_variable_any changed;
    int unbroken_runs = 0;
    bool obeying = false; // a request waits for the runs to end, or is being obeyed
    std::vector<std::pair<int, termios>> ports;
    std::vector<std::pair<int, std::string>> lock_files;
};

State& state() {
    static State shared;
    return shared;
}

// The handler only passes the signal on: nothing else it could do is safe there.
std::atomic<int> request_pipe{-1};
struct sigaction previous[requests.size()];
bool caught[requests.size()] = {};

extern "C" void pass_on(int signal) {
    const int saved = errno;
    if (const int pipe = request_pipe.load(); pipe >= 0) {
        const unsigned char number = static_cast<unsigned char>(signal);
        [[maybe_unused]] const auto ignored = ::write(pipe, &number, 1);
    }
    errno = saved;
}

void put_back(int descriptor, const termios& before) {
    ::tcsetattr(descriptor, TCSANOW, &before);
#ifdef TIOCNXCL
    // The exclusive use Qt asked for outlives the process on a device someone else keeps open
    // (the far side of a pseudo-terminal), and would lock out every later user but root.
    ::ioctl(descriptor, TIOCNXCL);
#endif
}

} // namespace

void end_program(int signal) {
    State& s = state();
    s.mutex.lock(); // kept: no port may be closed or opened while the program ends
    for (const auto& [descriptor, before] : s.ports)
        put_back(descriptor, before);
    // Left behind, a lock file in a shared folder keeps every other user off the port.
    for (const auto& [descriptor, path] : s.lock_files)
        ::unlink(path.c_str());
    ::_exit(status_after(signal));
}

TerminationGuard::TerminationGuard(std::function<void(int signal)> obey) : obey_(std::move(obey)) {
    if (::pipe2(pipe_, O_CLOEXEC) != 0) {
        pipe_[0] = pipe_[1] = -1;
        return; // the requests keep their usual effect
    }
    watcher_ = std::thread([this] { watch(); });
    request_pipe.store(pipe_[1]);
    for (std::size_t i = 0; i < requests.size(); ++i) {
        struct sigaction current {};
        ::sigaction(requests[i], nullptr, &current);
        if (current.sa_handler == SIG_IGN)
            continue;
        struct sigaction handler {};
        handler.sa_handler = pass_on;
        handler.sa_flags = SA_RESTART;
        sigemptyset(&handler.sa_mask);
        caught[i] = ::sigaction(requests[i], &handler, &previous[i]) == 0;
    }
}

TerminationGuard::~TerminationGuard() {
    for (std::size_t i = 0; i < requests.size(); ++i)
        if (caught[i]) {
            ::sigaction(requests[i], &previous[i], nullptr);
            caught[i] = false;
        }
    if (pipe_[1] < 0)
        return;
    request_pipe.store(-1);
    const unsigned char stop = 0;
    [[maybe_unused]] const auto ignored = ::write(pipe_[1], &stop, 1);
    watcher_.join();
    ::close(pipe_[0]);
    ::close(pipe_[1]);
}

void TerminationGuard::watch() {
    for (;;) {
        unsigned char signal = 0;
        const ssize_t n = ::read(pipe_[0], &signal, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || signal == 0)
            return;
        State& s = state();
        std::unique_lock lock(s.mutex);
        s.obeying = true;
        s.changed.wait(lock, [&] { return s.unbroken_runs == 0; });
        obey_(signal);
        s.obeying = false;
        s.changed.notify_all();
    }
}

// The runs this thread is in: one begun inside another goes on at once, as the request it
// would wait for waits for the outer run to end.
thread_local int runs_of_this_thread = 0;

void begin_unbroken_run() {
    State& s = state();
    std::unique_lock lock(s.mutex);
    // A request already waiting is obeyed first, rather than after yet another run.
    if (runs_of_this_thread == 0)
        s.changed.wait(lock, [&] { return !s.obeying; });
    ++s.unbroken_runs;
    ++runs_of_this_thread;
}

void end_unbroken_run() {
    State& s = state();
    std::lock_guard lock(s.mutex);
    --s.unbroken_runs;
    --runs_of_this_thread;
    s.changed.notify_all();
}

void watch_port(int descriptor, const termios& before) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.ports.emplace_back(descriptor, before);
}

void watch_lock_file(int descriptor, std::string path) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.lock_files.emplace_back(descriptor, std::move(path));
}

void unwatch_lock_file(int descriptor) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    std::erase_if(s.lock_files, [&](const auto& file) { return file.first == descriptor; });
}

void unwatch_port(int descriptor) {
    unwatch_lock_file(descriptor);
    State& s = state();
    std::lock_guard lock(s.mutex);
    const auto kept = std::find_if(s.ports.begin(), s.ports.end(),
                                   [&](const auto& port) { return port.first == descriptor; });
    if (kept == s.ports.end())
        return;
    put_back(kept->first, kept->second);
    ::close(kept->first);
    s.ports.erase(kept);
}

} // namespace pds
