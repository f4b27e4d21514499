#include "usb/udev_rule.h"

#include <cctype>

namespace pds {

std::string usb_id_hex(std::uint16_t id) {
    const char digits[] = "0123456789abcdef";
    std::string text(4, '0');
    for (int i = 3; i >= 0; --i, id >>= 4)
        text[static_cast<std::size_t>(i)] = digits[id & 0xf];
    return text;
}

namespace {

std::string matching(std::uint16_t vendor, std::uint16_t product) {
    return "ATTRS{idVendor}==\"" + usb_id_hex(vendor) + "\", ATTRS{idProduct}==\"" +
           usb_id_hex(product) + "\"";
}

// A serial number goes into a rule and a single-quoted shell word: it keeps only characters
// that are safe in both, as udev's own by-id names do.
bool safe_serial(std::string_view serial) {
    for (const char c : serial)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.'))
            return false;
    return !serial.empty();
}

} // namespace

std::string fixed_name_rule(std::uint16_t vendor, std::uint16_t product, std::string_view serial,
                            std::string_view name) {
    std::string rule = "SUBSYSTEM==\"tty\", " + matching(vendor, product);
    if (safe_serial(serial))
        rule += ", ATTRS{serial}==\"" + std::string(serial) + "\"";
    return rule + ", SYMLINK+=\"" + std::string(name) + "\"";
}

std::string modem_manager_ignore_rule(std::uint16_t vendor, std::uint16_t product) {
    return matching(vendor, product) + ", ENV{ID_MM_DEVICE_IGNORE}=\"1\"";
}

std::string install_rule_command(std::string_view rule, std::string_view file) {
    return "echo '" + std::string(rule) + "' | sudo tee " + std::string(file);
}

} // namespace pds
