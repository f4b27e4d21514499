#include "link/serial_line.h"

#include <gtest/gtest.h>

#include <string>

namespace pds {
namespace {

TEST(LineSettings, ValidTextsGiveEveryField) {
    struct Case {
        const char* text;
        LineSettings expected;
    };
    const Case cases[] = {
        {"9600,n,8,1", {9600, Parity::None, 8, StopBits::One}},
        {"19200,n,8,1", {19200, Parity::None, 8, StopBits::One}},
        {"1200,E,7,2", {1200, Parity::Even, 7, StopBits::Two}},
        {"300,o,5,1.5", {300, Parity::Odd, 5, StopBits::OneAndHalf}},
        {"115200,m,6,1", {115200, Parity::Mark, 6, StopBits::One}},
        {"57600,S,8,2", {57600, Parity::Space, 8, StopBits::Two}},
        {" 9600 , n , 8 , 1 ", {9600, Parity::None, 8, StopBits::One}},
    };
    for (const auto& c : cases) {
        const ParsedSettings parsed = parse_line_settings(c.text);
        ASSERT_TRUE(parsed.settings) << c.text << ": " << parsed.reason;
        EXPECT_EQ(*parsed.settings, c.expected) << c.text;
    }
}

TEST(LineSettings, InvalidTextsAreRefusedWithTheirFault) {
    struct Case {
        const char* text;
        const char* reason_names;
    };
    const Case cases[] = {
        {"", "expected speed, parity, data bits and stop bits"},
        {"9600,n,8", "expected speed, parity, data bits and stop bits"},
        {"9600,n,8,1,x", "expected speed, parity, data bits and stop bits"},
        {"fast,n,8,1", "speed"},
        {"96x0,n,8,1", "speed"},
        {"-9600,n,8,1", "speed"},
        {"0,n,8,1", "speed"},
        {"99999999999,n,8,1", "speed"},
        {"9600,x,8,1", "parity"},
        {"9600,no,8,1", "parity"},
        {"9600,,8,1", "parity"},
        {"9600,n,9,1", "data bits"},
        {"9600,n,4,1", "data bits"},
        {"9600,n,8.0,1", "data bits"},
        {"9600,n,8,3", "stop bits"},
        {"9600,n,8,1.0", "stop bits"},
        {"9600,n,8,", "stop bits"},
    };
    for (const auto& c : cases) {
        const ParsedSettings parsed = parse_line_settings(c.text);
        EXPECT_FALSE(parsed.settings) << c.text;
        EXPECT_NE(parsed.reason.find(c.reason_names), std::string::npos)
            << c.text << ": " << parsed.reason;
        EXPECT_NE(parsed.reason.find(std::string("\"") + c.text + "\""), std::string::npos)
            << "the reason quotes the text as given: " << parsed.reason;
    }
}

TEST(LineSettings, CharacterTimeCountsStartParityAndStopBits) {
    EXPECT_NEAR(character_time_ms({9600, Parity::None, 8, StopBits::One}), 10.0 / 9.6, 1e-9);
    EXPECT_NEAR(character_time_ms({19200, Parity::Even, 7, StopBits::Two}), 11.0 / 19.2, 1e-9);
    EXPECT_NEAR(character_time_ms({300, Parity::Odd, 5, StopBits::OneAndHalf}), 8.5 / 0.3, 1e-9);
}

TEST(PortDevices, ComEntriesMapToTheSystemsSerialDevices) {
    struct Case {
        int number;
        HostSystem host;
        const char* device;
    };
    const Case cases[] = {
        {1, HostSystem::Posix, "/dev/ttyS0"},   {8, HostSystem::Posix, "/dev/ttyS7"},
        {1, HostSystem::Windows, "COM1"},       {8, HostSystem::Windows, "COM8"},
        {12, HostSystem::Posix, "/dev/ttyS11"},
    };
    for (const auto& c : cases) {
        // A number chooses the entry whatever text the box shows.
        const PortDevice mapped = device_for({c.number, "/dev/ttyUSB0"}, c.host);
        ASSERT_TRUE(mapped.device) << c.number;
        EXPECT_EQ(*mapped.device, c.device);
    }
}

TEST(PortDevices, TypedTextOpensOnlyWhenItNamesADevice) {
    struct Case {
        const char* typed;
        HostSystem host;
        const char* device; // nullptr: refused
    };
    const Case cases[] = {
        {"/dev/ttyUSB0", HostSystem::Posix, "/dev/ttyUSB0"},
        {"/dev/pts/3", HostSystem::Posix, "/dev/pts/3"},
        {"  /dev/ttyACM1 ", HostSystem::Posix, "/dev/ttyACM1"},
        {"COM12", HostSystem::Windows, "COM12"},
        {"com3", HostSystem::Windows, "com3"},
        {"\\\\.\\COM15", HostSystem::Windows, "\\\\.\\COM15"},
        {"COM12", HostSystem::Posix, nullptr},
        {"/dev/ttyUSB0", HostSystem::Windows, nullptr},
        {"Com 9", HostSystem::Posix, nullptr},
        {"Com 9", HostSystem::Windows, nullptr},
        {"COM", HostSystem::Windows, nullptr},
        {"COM0", HostSystem::Windows, nullptr},
        {"COMX", HostSystem::Windows, nullptr},
        {"ttyUSB0", HostSystem::Posix, nullptr},
        {"", HostSystem::Posix, nullptr},
    };
    for (const auto& c : cases) {
        const PortDevice mapped = device_for({0, c.typed}, c.host);
        if (c.device) {
            ASSERT_TRUE(mapped.device) << c.typed << ": " << mapped.reason;
            EXPECT_EQ(*mapped.device, c.device);
        } else {
            EXPECT_FALSE(mapped.device) << c.typed;
            EXPECT_NE(mapped.reason.find("Com 1 to Com 8"), std::string::npos) << mapped.reason;
        }
    }
    EXPECT_NE(device_for({0, "Com 9"}, HostSystem::Posix).reason.find("\"Com 9\""),
              std::string::npos);
}

} // namespace
} // namespace pds
