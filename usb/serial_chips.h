// The common USB-serial chips by USB vendor and product id: who makes each, what it is called
// and which Linux driver serves it. Shared by the command line's port check and the page.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace pds {

struct SerialChip {
    std::string_view maker;
    std::string_view name;
    std::string_view linux_driver; // the kernel module that binds the chip, e.g. "ftdi_sio"
};

// The chip a USB device with these ids is, when it is one of the common ones.
std::optional<SerialChip> known_serial_chip(std::uint16_t vendor, std::uint16_t product);

// The maker of the common chips under this vendor id, for a product id the table does not know
// (a chip re-badged under its maker's vendor id, for which the maker's driver may be told the id).
std::optional<std::string_view> known_serial_chip_maker(std::uint16_t vendor);

// The Linux driver that serves that maker's chips, to which an unknown product id can be added.
std::optional<std::string_view> known_serial_chip_maker_driver(std::uint16_t vendor);

} // namespace pds
