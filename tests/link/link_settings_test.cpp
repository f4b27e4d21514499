#include "link/link_settings.h"

#include "link/port_failure_message.h"
#include "settings/option_lists.h"

#include <gtest/gtest.h>

using namespace pds;

namespace {

struct LinkSettingsTest : ::testing::Test {
    EditorModel model;
    LinkSettingsTest() { fill_option_lists(model); }
};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

TEST_F(LinkSettingsTest, PortNumberIsTheEntryCountedFromOne) {
    model.Comm.select(0);
    EXPECT_EQ(take_link_settings(model).port.number, 1);
    model.Comm.select(7);
    const LinkSettings link = take_link_settings(model);
    EXPECT_EQ(link.port.number, 8);
    EXPECT_EQ(link.port.typed, "");
}

TEST_F(LinkSettingsTest, TypingAnEntrySelectsItsNumber) {
    model.Comm.type("Com 3");
    EXPECT_EQ(take_link_settings(model).port.number, 3);
}

TEST_F(LinkSettingsTest, TypedDeviceIsCarriedAsTyped) {
    for (const char* typed : {"/dev/ttyUSB0", "COM12", "com 1", ""}) {
        model.Comm.type(typed);
        const LinkSettings link = take_link_settings(model);
        EXPECT_EQ(link.port.number, 0) << typed;
        EXPECT_EQ(link.port.typed, typed);
    }
}

TEST_F(LinkSettingsTest, LineSettingsAreTheTextOfBaud) {
    model.Baud.select(1);
    EXPECT_EQ(take_link_settings(model).line_settings, "19200,n,8,1");
    model.Baud.type("4800,e,7,2");
    EXPECT_EQ(take_link_settings(model).line_settings, "4800,e,7,2");
}

struct FailureCase {
    PortFailure failure;
    std::vector<std::string> says;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.failure.reason;
}

class PortFailureMessageTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(PortFailureMessageTest, NamesPortDeviceReasonAndRemedy) {
    const FailureCase& c = GetParam();
    const std::string text = port_failure_message("Com 1", "9600,x,8,1", c.failure);
    EXPECT_TRUE(contains(text, "\"Com 1\"")) << text;
    if (!c.failure.device.empty()) {
        EXPECT_TRUE(contains(text, c.failure.device)) << text;
    }
    EXPECT_TRUE(contains(text, c.failure.reason)) << text;
    for (const auto& part : c.says)
        EXPECT_TRUE(contains(text, part)) << text << "\n  lacks: " << part;
    EXPECT_EQ(contains(text, "dialout"), c.failure.kind == PortFailure::Kind::Permission) << text;
}

using Kind = PortFailure::Kind;
INSTANTIATE_TEST_SUITE_P(
    Kinds, PortFailureMessageTest,
    ::testing::Values(
        FailureCase{{Kind::Permission, "/dev/ttyS0", "Permission denied"}, {"group", "dialout"}},
        FailureCase{{Kind::InUse, "/dev/ttyS0", "Device or resource busy"}, {"Another program"}},
        FailureCase{{Kind::BadSettings, "/dev/ttyS0", "Unsupported parity"},
                    {"\"9600,x,8,1\"", "set up"}},
        FailureCase{{Kind::NoSuchPort, "/dev/ttyS0", "No such file or directory"}, {"plugged in"}},
        FailureCase{{Kind::NoSuchPort, "", "No device of that name"}, {"names no serial port"}},
        FailureCase{{Kind::Other, "COM1", "Unknown error"}, {"could not be opened"}}));
