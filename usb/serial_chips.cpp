#include "usb/serial_chips.h"

#include <algorithm>
#include <array>

namespace pds {
namespace {

struct ChipMaker {
    std::uint16_t vendor;
    std::string_view maker;
    std::string_view linux_driver; // the driver to which an unknown product id may be added
};

constexpr std::array chip_makers{
    ChipMaker{0x0403, "FTDI", "ftdi_sio"},     ChipMaker{0x067b, "Prolific", "pl2303"},
    ChipMaker{0x1a86, "WCH", "ch341"},         ChipMaker{0x10c4, "Silicon Labs", "cp210x"},
    ChipMaker{0x04d8, "Microchip", "cdc_acm"},
};

struct ChipEntry {
    std::uint16_t vendor;
    std::uint16_t product;
    std::string_view name;
    std::string_view linux_driver;
};

constexpr std::array chips{
    ChipEntry{0x0403, 0x6001, "FT232R", "ftdi_sio"},
    ChipEntry{0x0403, 0x6010, "FT2232", "ftdi_sio"},
    ChipEntry{0x0403, 0x6011, "FT4232H", "ftdi_sio"},
    ChipEntry{0x0403, 0x6014, "FT232H", "ftdi_sio"},
    ChipEntry{0x0403, 0x6015, "FT-X series (FT230X, FT231X)", "ftdi_sio"},
    ChipEntry{0x067b, 0x2303, "PL2303", "pl2303"},
    ChipEntry{0x067b, 0x23a3, "PL2303GC", "pl2303"},
    ChipEntry{0x1a86, 0x7523, "CH340", "ch341"},
    ChipEntry{0x1a86, 0x5523, "CH341", "ch341"},
    ChipEntry{0x1a86, 0x55d4, "CH9102", "cdc_acm"},
    ChipEntry{0x10c4, 0xea60, "CP210x", "cp210x"},
    ChipEntry{0x10c4, 0xea70, "CP2105", "cp210x"},
    ChipEntry{0x10c4, 0xea71, "CP2108", "cp210x"},
    ChipEntry{0x04d8, 0x00dd, "MCP2221", "cdc_acm"},
    ChipEntry{0x04d8, 0x000a, "USB CDC serial (PIC firmware)", "cdc_acm"},
};

const ChipMaker* maker_of(std::uint16_t vendor) {
    auto found = std::find_if(chip_makers.begin(), chip_makers.end(),
                              [vendor](const ChipMaker& maker) { return maker.vendor == vendor; });
    return found == chip_makers.end() ? nullptr : &*found;
}

} // namespace

std::optional<SerialChip> known_serial_chip(std::uint16_t vendor, std::uint16_t product) {
    auto found = std::find_if(chips.begin(), chips.end(), [&](const ChipEntry& chip) {
        return chip.vendor == vendor && chip.product == product;
    });
    if (found == chips.end())
        return std::nullopt;
    return SerialChip{maker_of(vendor)->maker, found->name, found->linux_driver};
}

std::optional<std::string_view> known_serial_chip_maker(std::uint16_t vendor) {
    if (const ChipMaker* maker = maker_of(vendor))
        return maker->maker;
    return std::nullopt;
}

std::optional<std::string_view> known_serial_chip_maker_driver(std::uint16_t vendor) {
    if (const ChipMaker* maker = maker_of(vendor))
        return maker->linux_driver;
    return std::nullopt;
}

} // namespace pds
