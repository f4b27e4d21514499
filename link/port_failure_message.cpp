#include "link/port_failure_message.h"

namespace pds {

namespace {

std::string port_named(const std::string& comm_text, const PortFailure& failure) {
    std::string text = "\"" + comm_text + "\"";
    if (!failure.device.empty())
        text += " (" + failure.device + ")";
    return text;
}

std::string hint(const std::string& line_settings, const PortFailure& failure) {
    using Kind = PortFailure::Kind;
    switch (failure.kind) {
    case Kind::BadSettings:
        return "The line settings \"" + line_settings +
               "\" are not valid. Choose 9600,n,8,1 or 19200,n,8,1.";
    case Kind::NoSuchPort:
        if (failure.device.empty())
            return "The text names no serial port. Choose one from the list or type a device "
                   "name such as /dev/ttyUSB0 or COM12.";
        return "Check that the display's cable or adapter is plugged in, or choose another port.";
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

} // namespace

std::string port_failure_message(const std::string& comm_text, const std::string& line_settings,
                                 const PortFailure& failure) {
    std::string text = "The serial port " + port_named(comm_text, failure) + " could not be ";
    text += failure.kind == PortFailure::Kind::BadSettings ? "set up." : "opened.";
    if (!failure.reason.empty())
        text += "\nReason: " + failure.reason;
    const std::string remedy = hint(line_settings, failure);
    if (!remedy.empty())
        text += "\n\n" + remedy;
    text += "\n\nNothing was sent to the display.";
    return text;
}

} // namespace pds
