#include "win32_port_examiner.h"

#include "win32_port_list.h"
#include "win32_serial_port.h"

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
    // Opened as the transfers open it, so a port another program of ours holds is found too:
    // not every driver (nor Wine) refuses a second open.
    Win32SerialPort serial;
    serial.set_port({0, name});
    const auto failure = serial.open();
    serial.close();
    if (!failure) {
        facts.opening = PortFacts::Opening::Opened;
        return facts;
    }
    facts.opening = failure->kind == PortFailure::Kind::InUse ? PortFacts::Opening::InUse
                                                              : PortFacts::Opening::Failed;
    if (failure->kind == PortFailure::Kind::NoSuchPort) {
        facts.kind = PortFacts::Kind::Missing;
        facts.existing_ports = serial_ports();
    } else if (failure->kind != PortFailure::Kind::InUse) {
        facts.open_error = failure->reason;
    }
    return facts;
}

} // namespace pds
