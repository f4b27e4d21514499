// The udev rule that gives a USB serial adapter a fixed name under /dev, to be printed for the
// user to install; nothing here installs it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pds {

// The fixed name the rules give a display's adapter: /dev/pole-display.
inline constexpr std::string_view fixed_port_name = "pole-display";

// Where a rule of ours goes.
inline constexpr std::string_view udev_rule_file = "/etc/udev/rules.d/99-pole-display.rules";

// SUBSYSTEM=="tty", ATTRS{idVendor}=="0403", ATTRS{idProduct}=="6001", ATTRS{serial}=="A1",
// SYMLINK+="pole-display": the serial number only where the adapter has one.
std::string fixed_name_rule(std::uint16_t vendor, std::uint16_t product, std::string_view serial,
                            std::string_view name = fixed_port_name);

// The rule that tells ModemManager to leave the adapter alone.
std::string modem_manager_ignore_rule(std::uint16_t vendor, std::uint16_t product);

// A shell command that writes `rule` into `file` as root.
std::string install_rule_command(std::string_view rule, std::string_view file);

// "0403" for 0x0403, as udev and usb.ids spell ids.
std::string usb_id_hex(std::uint16_t id);

} // namespace pds
