// What a port choice and a line settings text mean for a serial device, without any toolkit.
#pragma once

#include "services/serial_port.h"

#include <optional>
#include <string>
#include <string_view>

namespace pds {

// Either the settings or, when the text is not a valid settings string, why not.
struct ParsedSettings {
    std::optional<LineSettings> settings;
    std::string reason;
};

// The text without the blanks around it.
std::string_view trimmed(std::string_view text);

// "speed,parity,data bits,stop bits" as in "9600,n,8,1": parity n, e, o, m or s (either case),
// data bits 5 to 8, stop bits 1, 1.5 or 2. Blanks around a field are allowed.
ParsedSettings parse_line_settings(std::string_view text);

// The settings as the text that parses to them, e.g. "9600,n,8,1".
std::string line_settings_text(const LineSettings& settings);

// The settings a probe and vfdctl use: no parity, 8 data bits, 1 stop bit.
LineSettings plain_line(int speed);

// Time one character takes on the line: start bit, data bits, parity bit, stop bits.
double character_time_ms(const LineSettings& settings);

enum class HostSystem { Windows, Posix };

constexpr HostSystem this_host() {
#ifdef _WIN32
    return HostSystem::Windows;
#else
    return HostSystem::Posix;
#endif
}

// "Com N" is COMN on Windows and /dev/ttyS{N-1} elsewhere. A typed text that selects no entry
// is opened as typed when it names a device (COM12 on Windows, an absolute path elsewhere).
PortDevice device_for(const PortChoice& choice, HostSystem host);

// The one name of a Windows COM port however it is written: "COM5" for com5, COM05 and
// \\.\COM5; nothing for a text that names no COM port.
std::optional<std::string> com_port_name(std::string_view text);

} // namespace pds
