#include "adapters/win32/console_guard.h"

#include <windows.h>

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <utility>
#include <vector>

namespace pds {

namespace {

// Shared by every thread. Recursive, so that end_program may be called from `obey`, which
// runs with it held.
struct State {
    std::recursive_mutex mutex;
    std::condition_variable_any changed;
    int unbroken_runs = 0;
    bool obeying = false; // an event waits for the runs to end, or is being obeyed
    std::function<void(int)> obey;
    std::vector<std::pair<HANDLE, DCB>> ports;
};

State& state() {
    static State shared;
    return shared;
}

int signal_for(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        return console_interrupt;
    case CTRL_CLOSE_EVENT:
        return console_hang_up;
    default:
        return console_terminate;
    }
}

BOOL WINAPI on_console_event(DWORD event) {
    State& s = state();
    std::unique_lock lock(s.mutex);
    if (!s.obey)
        return FALSE; // the system's own handling: the program ends
    s.obeying = true;
    s.changed.wait(lock, [&] { return s.unbroken_runs == 0; });
    const auto obey = s.obey;
    obey(signal_for(event));
    s.obeying = false;
    s.changed.notify_all();
    return TRUE;
}

} // namespace

void end_program(int signal) {
    State& s = state();
    const std::lock_guard lock(s.mutex);
    for (auto& [handle, before] : s.ports)
        ::SetCommState(handle, &before);
    std::fflush(nullptr);
    ::ExitProcess(static_cast<UINT>(status_after(signal)));
}

TerminationGuard::TerminationGuard(std::function<void(int signal)> obey) {
    {
        const std::lock_guard lock(state().mutex);
        state().obey = std::move(obey);
    }
    ::SetConsoleCtrlHandler(on_console_event, TRUE);
}

TerminationGuard::~TerminationGuard() {
    ::SetConsoleCtrlHandler(on_console_event, FALSE);
    const std::lock_guard lock(state().mutex);
    state().obey = nullptr;
}

void begin_unbroken_run() {
    State& s = state();
    std::unique_lock lock(s.mutex);
    s.changed.wait(lock, [&] { return !s.obeying; });
    ++s.unbroken_runs;
}

void end_unbroken_run() {
    State& s = state();
    const std::lock_guard lock(s.mutex);
    --s.unbroken_runs;
    s.changed.notify_all();
}

void watch_port(void* handle, const _DCB& before) {
    const std::lock_guard lock(state().mutex);
    state().ports.emplace_back(handle, before);
}

void unwatch_port(void* handle) {
    State& s = state();
    const std::lock_guard lock(s.mutex);
    std::erase_if(s.ports, [&](const auto& port) { return port.first == handle; });
}

} // namespace pds
