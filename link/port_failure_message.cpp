#include "link/port_failure_message.h"

#include "link/serial_line.h"

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
        return sentence(in_use_words(failure)) + " Close that program and try again.";
    case Kind::NeverQuiet:
        return "Another device or program keeps sending on this line: stop it, or check that "
               "the cable goes to the display.";
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
    text += failure.kind == Kind::BadSettings  ? "set up."
            : failure.kind == Kind::NeverQuiet ? "used."
                                               : "opened.";
    // Said by the remedy instead.
    if (failure.kind == Kind::InUse)
        return text;
    if (failure.kind == Kind::NeverQuiet)
        return text + "\nReason: " + never_quiet_words + ".";
    if (!failure.reason.empty())
        text += "\nReason: " + failure.reason;
    return text;
}

} // namespace

PortFailure never_quiet_failure(SerialPort& port) {
    return {PortFailure::Kind::NeverQuiet, port.find_device().device.value_or(""),
            never_quiet_words};
}

std::string in_use_words(const PortFailure& failure) {
    std::string text = "another program is using this port";
    if (!failure.reason.empty())
        text += ": " + failure.reason;
    return text;
}

std::string port_failure_message(const std::string& comm_text, const std::string& line_settings,
                                 const PortFailure& failure) {
    std::string text = headline(comm_text, failure);
    if (const std::string remedy = hint(line_settings, failure); !remedy.empty())
        text += "\n\n" + remedy;
    text += "\n\nNothing was sent to the display.";
    return text;
}

} // namespace pds
