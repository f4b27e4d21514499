#include "adapters/win32/win32_serial_port.h"

#include "adapters/win32/console_guard.h"
#include "link/serial_line.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <thread>
#include <utility>

namespace pds {

namespace {

constexpr DWORD system_queue_size = 4096;

BYTE dcb_parity(Parity parity) {
    switch (parity) {
    case Parity::None:
        return NOPARITY;
    case Parity::Even:
        return EVENPARITY;
    case Parity::Odd:
        return ODDPARITY;
    case Parity::Mark:
        return MARKPARITY;
    case Parity::Space:
        return SPACEPARITY;
    }
    return NOPARITY;
}

BYTE dcb_stop_bits(StopBits stop_bits) {
    switch (stop_bits) {
    case StopBits::One:
        return ONESTOPBIT;
    case StopBits::OneAndHalf:
        return ONE5STOPBITS;
    case StopBits::Two:
        return TWOSTOPBITS;
    }
    return ONESTOPBIT;
}

// Raw bytes both ways: no flow control of either kind, no character replaced or dropped. DTR
// and RTS are raised, as a display powered from the line may need them.
void apply(const LineSettings& line, DCB& dcb) {
    dcb.BaudRate = static_cast<DWORD>(line.speed);
    dcb.ByteSize = static_cast<BYTE>(line.data_bits);
    dcb.Parity = dcb_parity(line.parity);
    dcb.StopBits = dcb_stop_bits(line.stop_bits);
    dcb.fBinary = TRUE;
    dcb.fParity = line.parity == Parity::None ? FALSE : TRUE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fAbortOnError = FALSE;
}

// The system's words for an error, without the line break it ends them with.
std::string system_words(DWORD error) {
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string words = length > 0 && text ? std::string(text, length) : std::string();
    if (text)
        ::LocalFree(text);
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' ' ||
                              words.back() == '.'))
        words.pop_back();
    if (words.empty())
        words = "system error " + std::to_string(error);
    return words;
}

PortFailure open_failure(DWORD error, const std::string& device) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return {PortFailure::Kind::NoSuchPort, device, system_words(error)};
    // A COM port is opened by one program at a time; the system refuses the next one with
    // "access denied", which here never means a missing right.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return {PortFailure::Kind::InUse, device, {}};
    default:
        return {PortFailure::Kind::Other, device, system_words(error)};
    }
}

// Names such as COM12 reach the device only through the device namespace.
std::wstring device_path(const std::string& device) {
    const std::string name = com_port_name(device).value_or(device);
    const std::string full = "\\\\.\\" + name;
    return std::wstring(full.begin(), full.end()); // COM names are ASCII
}

// Windows' own drivers refuse a second open of a COM port, but not every driver does (nor
// Wine): a named object per port, held while it is open, makes programs that use this adapter
// refuse each other whatever the driver allows. Any name of the port reaches the same object.
HANDLE claim_port_name(const std::string& device) {
    std::string name = com_port_name(device).value_or(device);
    name = "Global\\PoleDisplaySetup.port." + name;
    HANDLE claim = ::CreateMutexW(nullptr, FALSE, std::wstring(name.begin(), name.end()).c_str());
    if (claim && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(claim);
        return nullptr;
    }
    return claim;
}

void sleep_ms(int ms) {
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

Win32SerialPort::Win32SerialPort() = default;

Win32SerialPort::~Win32SerialPort() {
    close();
}

std::optional<PortFailure> Win32SerialPort::open_device(const std::string& device,
                                                        const LineSettings& line) {
    lost = false;

    HANDLE name_claim = claim_port_name(device);
    if (!name_claim)
        return PortFailure{PortFailure::Kind::InUse, device, {}};
    // No sharing: while this program has the port, any other open of it is refused.
    HANDLE candidate = ::CreateFileW(device_path(device).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (candidate == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(name_claim);
        return open_failure(error, device);
    }
    const auto refuse = [&](PortFailure failure) {
        ::CloseHandle(candidate);
        ::CloseHandle(name_claim);
        return failure;
    };

    auto before = std::make_unique<DCB>();
    before->DCBlength = sizeof(DCB);
    if (::GetFileType(candidate) != FILE_TYPE_CHAR || !::GetCommState(candidate, before.get()))
        return refuse({PortFailure::Kind::NotAPort, device, "a device of another kind"});
    DCB wanted = *before;
    apply(line, wanted);
    if (!::SetCommState(candidate, &wanted))
        return refuse({PortFailure::Kind::BadSettings, device, system_words(::GetLastError())});
    ::SetupComm(candidate, system_queue_size, system_queue_size);

    handle = candidate;
    claim = name_claim;
    watch_port(handle, *before);
    settings_before = std::move(before);
    character_ms = character_time_ms(line);
    read_wait_set = -1;
    if (!set_read_wait(0)) {
        const PortFailure failure{PortFailure::Kind::Other, device, system_words(::GetLastError())};
        close();
        return failure;
    }
    opened = true;
    return std::nullopt;
}

void Win32SerialPort::close() {
    if (handle) {
        // What has not left by now never will on a stalled line, and the close would wait for
        // it: give it up instead. Only then: a purge also drops what a pseudo-terminal holds
        // for its reader, which the queue counts never show.
        if (live() && bytes_pending() > 0)
            ::PurgeComm(handle, PURGE_TXABORT | PURGE_TXCLEAR);
        if (settings_before) {
            unwatch_port(handle);
            ::SetCommState(handle, settings_before.get());
        }
        ::CloseHandle(handle);
    }
    if (claim)
        ::CloseHandle(claim);
    handle = nullptr;
    claim = nullptr;
    settings_before.reset();
    received.clear();
    outgoing.clear();
    opened = false;
}

bool Win32SerialPort::is_open() const {
    return opened;
}

int Win32SerialPort::bytes_waiting() {
    take_input(0);
    return static_cast<int>(std::min<std::size_t>(received.size(), INT_MAX));
}

std::vector<std::uint8_t> Win32SerialPort::read_all() {
    take_input(0);
    return std::exchange(received, {});
}

void Win32SerialPort::queue(std::span<const std::uint8_t> bytes) {
    if (!live() || bytes.empty())
        return;
    outgoing.insert(outgoing.end(), bytes.begin(), bytes.end());
    push_output();
}

int Win32SerialPort::bytes_pending() {
    push_output();
    unsigned long in_count = 0;
    unsigned long out_count = 0;
    if (!queue_counts(in_count, out_count))
        return 0;
    return static_cast<int>(std::min<std::size_t>(out_count + outgoing.size(), INT_MAX));
}

void Win32SerialPort::wait_for_activity(int max_ms) {
    max_ms = std::max(0, max_ms);
    if (!live()) {
        // Nothing can happen on a closed or lost port; a caller that polls anyway must not spin.
        sleep_ms(max_ms);
        return;
    }
    push_output();
    unsigned long in_count = 0;
    unsigned long out_count = 0;
    if (!queue_counts(in_count, out_count))
        return;
    if (in_count > 0) {
        take_input(0);
        return;
    }
    int timeout = max_ms;
    // The system says nothing when its output queue drains, so wake about when it should have.
    if (const std::size_t unsent = out_count + outgoing.size(); unsent > 0)
        timeout = std::min(max_ms, std::max(1, static_cast<int>(std::ceil(unsent * character_ms))));
    take_input(timeout);
}

bool Win32SerialPort::device_lost() const {
    return lost;
}

double Win32SerialPort::ms_per_character() const {
    return character_ms;
}

// A program that can be told to end (see console_guard.h) finishes the run first.
void Win32SerialPort::begin_unbroken() {
    begin_unbroken_run();
}

void Win32SerialPort::end_unbroken() {
    // The run's bytes leave the system's queue before the program may end.
    if (live()) {
        push_output();
        if (!::FlushFileBuffers(handle))
            give_up_device();
    }
    end_unbroken_run();
}

bool Win32SerialPort::live() const {
    return handle && !lost;
}

bool Win32SerialPort::queue_counts(unsigned long& in_count, unsigned long& out_count) {
    if (!live())
        return false;
    DWORD errors = 0;
    COMSTAT status{};
    if (!::ClearCommError(handle, &errors, &status)) {
        give_up_device();
        return false;
    }
    in_count = status.cbInQue;
    out_count = status.cbOutQue;
    return true;
}

void Win32SerialPort::take_input(int wait_ms) {
    if (!live())
        return;
    std::uint8_t buffer[system_queue_size];
    for (;;) {
        if (!set_read_wait(wait_ms)) {
            give_up_device();
            return;
        }
        DWORD count = 0;
        if (!::ReadFile(handle, buffer, sizeof buffer, &count, nullptr)) {
            give_up_device();
            return;
        }
        received.insert(received.end(), buffer, buffer + count);
        // A full buffer may have left more behind; after any bytes, nothing more is waited for.
        if (count < sizeof buffer)
            return;
        wait_ms = 0;
    }
}

void Win32SerialPort::push_output() {
    if (!live() || outgoing.empty())
        return;
    DWORD written = 0;
    if (!::WriteFile(handle, outgoing.data(), static_cast<DWORD>(outgoing.size()), &written,
                     nullptr)) {
        give_up_device();
        return;
    }
    outgoing.erase(outgoing.begin(), outgoing.begin() + written);
}

// A read returns at once with what has arrived; with a wait and nothing there, it returns as
// soon as the first byte comes, or empty after the wait. A write that the line does not take
// within about twice its time returns with what was taken.
bool Win32SerialPort::set_read_wait(int wait_ms) {
    wait_ms = std::clamp(wait_ms, 0, INT_MAX - 1);
    if (wait_ms == read_wait_set)
        return true;
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = wait_ms > 0 ? MAXDWORD : 0;
    timeouts.ReadTotalTimeoutConstant = static_cast<DWORD>(wait_ms);
    timeouts.WriteTotalTimeoutMultiplier = static_cast<DWORD>(std::ceil(2 * character_ms));
    timeouts.WriteTotalTimeoutConstant = 50;
    if (!::SetCommTimeouts(handle, &timeouts))
        return false;
    read_wait_set = wait_ms;
    return true;
}

void Win32SerialPort::give_up_device() {
    lost = true;
}

} // namespace pds
