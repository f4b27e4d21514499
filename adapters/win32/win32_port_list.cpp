#include "win32_port_list.h"

#include <windows.h>

#include <optional>
#include <string>

namespace pds {

namespace {

// Windows numbers COM ports up to 256.
constexpr unsigned highest_com_number = 256;

std::string narrow(const std::wstring& text) {
    if (text.empty())
        return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                          nullptr, nullptr);
    return out;
}

// What COMn stands for, when there is such a port. Windows names it as a DOS device; Wine
// names so only the ports it found itself, not those its prefix maps onto devices, which show
// themselves only when opened. Opened without access, a port is neither read nor written, and
// one that another program holds is there all the same.
std::optional<std::string> com_target(unsigned number) {
    const std::wstring name = L"COM" + std::to_wstring(number);
    wchar_t target[512] = {};
    if (::QueryDosDeviceW(name.c_str(), target, static_cast<DWORD>(std::size(target))) != 0)
        return narrow(target);
    const std::wstring path = L"\\\\.\\" + name;
    const HANDLE handle =
        ::CreateFileW(path.c_str(), 0, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        ::CloseHandle(handle);
        return std::string();
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION)
        return std::string();
    return std::nullopt;
}

} // namespace

std::vector<SystemPort> Win32PortList::ports() {
    std::vector<SystemPort> ports;
    for (unsigned number = 1; number <= highest_com_number; ++number)
        if (const auto target = com_target(number)) {
            const std::string device = "COM" + std::to_string(number);
            ports.push_back(SystemPort{device, device, *target, "", {}, {}, ""});
        }
    return ports;
}

} // namespace pds
