#include "win32_port_examiner.h"

#include "win32_port_list.h"

#include <windows.h>

#include <algorithm>
#include <cctype>

namespace pds {

namespace {

// "COM12" for com12, \\.\COM12 and "Com 12"; the text itself for any other name.
std::string com_name(std::string port) {
    std::transform(port.begin(), port.end(), port.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (port.rfind("\\\\.\\", 0) == 0)
        port.erase(0, 4);
    if (port.rfind("COM ", 0) == 0)
        port.erase(3, 1);
    return port;
}

std::string system_words(DWORD error) {
    wchar_t* text = nullptr;
    ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                         FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string words;
    for (const wchar_t* c = text; c && *c; ++c)
        words += *c < 128 ? static_cast<char>(*c) : '?';
    if (text)
        ::LocalFree(text);
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == '.'))
        words.pop_back();
    return words.empty() ? "system error " + std::to_string(error) : words;
}

} // namespace

std::vector<std::string> Win32PortExaminer::serial_ports() {
    std::vector<std::string> names;
    for (const auto& port : Win32PortList().ports())
        names.push_back(port.device);
    return names;
}

PortFacts Win32PortExaminer::examine(const std::string& port) {
    PortFacts facts;
    facts.port = port;
    const std::string name = com_name(port);
    facts.device = "\\\\.\\" + name;
    facts.kind = PortFacts::Kind::Other;
    const std::wstring path(facts.device.begin(), facts.device.end());
    const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        ::CloseHandle(handle);
        facts.opening = PortFacts::Opening::Opened;
        return facts;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) {
        facts.opening = PortFacts::Opening::InUse;
    } else if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        facts.opening = PortFacts::Opening::Failed;
        facts.kind = PortFacts::Kind::Missing;
        facts.existing_ports = serial_ports();
    } else {
        facts.opening = PortFacts::Opening::Failed;
        facts.open_error = system_words(error);
    }
    return facts;
}

} // namespace pds
