#include "usb/serial_chips.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>

namespace pds {
namespace {

struct KnownChip {
    std::uint16_t vendor, product;
    std::string_view maker, name, linux_driver;
};

TEST(SerialChipsTest, NamesTheCommonChipsWithTheirMakerAndDriver) {
    const KnownChip cases[] = {
        {0x0403, 0x6001, "FTDI", "FT232R", "ftdi_sio"},
        {0x067b, 0x2303, "Prolific", "PL2303", "pl2303"},
        {0x1a86, 0x7523, "WCH", "CH340", "ch341"},
        {0x1a86, 0x5523, "WCH", "CH341", "ch341"},
        {0x10c4, 0xea60, "Silicon Labs", "CP210x", "cp210x"},
        {0x04d8, 0x00dd, "Microchip", "MCP2221", "cdc_acm"},
    };
    for (const KnownChip& known : cases) {
        SCOPED_TRACE(known.name);
        auto chip = known_serial_chip(known.vendor, known.product);
        ASSERT_TRUE(chip);
        EXPECT_EQ(chip->maker, known.maker);
        EXPECT_EQ(chip->name, known.name);
        EXPECT_EQ(chip->linux_driver, known.linux_driver);
    }
}

TEST(SerialChipsTest, AKnownMakersUnknownProductHasAMakerButNoChip) {
    EXPECT_FALSE(known_serial_chip(0x0403, 0x1234));
    EXPECT_EQ(known_serial_chip_maker(0x0403), "FTDI");
    EXPECT_EQ(known_serial_chip_maker_driver(0x0403), "ftdi_sio");
    // A product id of one maker under another's vendor id is not that chip.
    EXPECT_FALSE(known_serial_chip(0x067b, 0x6001));
}

TEST(SerialChipsTest, AnUnknownVendorHasNeitherChipNorMaker) {
    EXPECT_FALSE(known_serial_chip(0x1d6b, 0x0002)); // a root hub
    EXPECT_FALSE(known_serial_chip_maker(0x1d6b));
    EXPECT_FALSE(known_serial_chip_maker_driver(0x1d6b));
    EXPECT_FALSE(known_serial_chip_maker(0x0000));
}

} // namespace
} // namespace pds
