#include "link/port_failure_message.h"

#include "services/serial_line.h"

#include <string_view>

namespace pds {

namespace {

// The device is named only where the text typed does not already say it: "Com 1" is
// /dev/ttyS0, but "/dev/ttyUSB0" is just itself.
std::string port_named(const std::string& comm_text, const PortFailure& failure) {
    std::string text = "\"" + comm_text + "\"";
    if (!failure.device.empty() && failure.device != trimmed(comm_text))
        text += " (" + failure.device + ")";
    return text;
}

// A text that names no device at all: the reason says so and what to choose instead.
bool names_no_device(const PortFailure& failure) {
    return failure.device.empty() && failure.kind == PortFailure::Kind::NoSuchPort;
}

std::string sentence(std::string text) {
    if (!text.empty())
        text.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(text.front())));
    return text + ".";
}

std::string hint(const std::string& line_settings, const PortFailure& failure) {
    using Kind = PortFailure::Kind;
    switch (failure.kind) {
    case Kind::BadSettings: {
        const std::string quoted = "\"" + line_settings + "\"";
        const std::string choice = "Choose 9600,n,8,1 or 19200,n,8,1.";
        if (failure.reason.find(quoted) != std::string::npos)
            return choice;
        return "The line settings " + quoted + " are not valid. " + choice;
    }
    case Kind::NoSuchPort:
        if (names_no_device(failure))
            return {};
        return "Check that the display's cable or adapter is plugged in, or choose another port.";
    case Kind::NotAPort:
        return "Choose one from the list or type the device of the display's port, such as "
               "/dev/ttyUSB0 or COM12.";
    case Kind::Permission:
        return "You are not allowed to use this port. On Linux your user must belong to the "
               "group that owns the device (dialout on Debian); log out and in again after "
               "joining it.";
    case Kind::InUse:
        return "Another program is using this port. Close that program and try again.";
    case Kind::Other:
        break;
    }
    return {};
}

std::string headline(const std::string& comm_text, const PortFailure& failure) {
    using Kind = PortFailure::Kind;
    if (names_no_device(failure))
        return sentence(failure.reason);
    if (failure.kind == Kind::NotAPort)
        return port_named(comm_text, failure) + " is not a serial port" +
               (failure.reason.empty() ? "" : " but " + failure.reason) + ".";
    std::string text = "The serial port " + port_named(comm_text, failure) + " could not be ";
    text += failure.kind == Kind::BadSettings ? "set up." : "opened.";
    if (!failure.reason.empty())
        text += "\nReason: " + failure.reason;
    return text;
}

} // namespace

std::string port_failure_message(const std::string& comm_text, const std::string& line_settings,
                                 const PortFailure& failure) {
    std::string text = headline(comm_text, failure);
    if (const std::string remedy = hint(line_settings, failure); !remedy.empty())
        text += "\n\n" + remedy;
    text += "\n\nNothing was sent to the display.";
    return text;
}

} // namespace pds
