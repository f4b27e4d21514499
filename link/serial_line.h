// What a port choice and a line settings text mean for a serial device, without any toolkit.
#pragma once

#include "services/serial_port.h"

#include <optional>
#include <string>
#include <string_view>

namespace pds {

enum class Parity { None, Even, Odd, Mark, Space };
enum class StopBits { One, OneAndHalf, Two };

struct LineSettings {
    int speed = 9600; // bit/s
    Parity parity = Parity::None;
    int data_bits = 8;
    StopBits stop_bits = StopBits::One;
    bool operator==(const LineSettings&) const = default;
};

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

// Either the device a port choice stands for, or why it stands for none.
struct PortDevice {
    std::optional<std::string> device;
    std::string reason;
};

// "Com N" is COMN on Windows and /dev/ttyS{N-1} elsewhere. A typed text that selects no entry
// is opened as typed when it names a device (COM12 on Windows, an absolute path elsewhere).
PortDevice device_for(const PortChoice& choice, HostSystem host);

} // namespace pds
