#include "link/port_failure_message.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

using namespace pds;

namespace {

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

int occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

struct FailureCase {
    PortFailure failure;
    std::vector<std::string> says;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.failure.reason;
}

class PortFailureMessageTest : public ::testing::TestWithParam<FailureCase> {};

} // namespace

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
        FailureCase{{Kind::Other, "COM1", "Unknown error"}, {"could not be opened"}}));

TEST(PortFailureMessage, SaysEachThingOnce) {
    using Kind = PortFailure::Kind;
    const std::string not_a_port =
        "\"Com 9\" is not a port: choose Com 1 to Com 8 or type a device such as /dev/ttyUSB0";
    const struct {
        std::string typed;
        PortFailure failure;
        std::vector<std::string> once;  // each exactly once
        std::vector<std::string> never; // repeats or misleads
    } cases[] = {
        {"/dev/ttyNOPE",
         {Kind::NoSuchPort, "/dev/ttyNOPE", "No such file or directory"},
         {"\"/dev/ttyNOPE\" could not be opened", "No such file or directory", "plugged in"},
         {"(/dev/ttyNOPE)"}},
        {"Com 1",
         {Kind::NoSuchPort, "/dev/ttyS0", "No such file or directory"},
         {"\"Com 1\" (/dev/ttyS0) could not be opened", "plugged in"},
         {}},
        {"Com 9", {Kind::NoSuchPort, "", not_a_port}, {not_a_port, "Com 9", "Com 1 to Com 8"}, {}},
        {"",
         {Kind::NoSuchPort, "", "no port is chosen: choose Com 1 to Com 8"},
         {"No port is chosen"},
         {}},
        {"/tmp/shop.vfd",
         {Kind::NotAPort, "/tmp/shop.vfd", "a regular file"},
         {"\"/tmp/shop.vfd\" is not a serial port but a regular file.", "/tmp/shop.vfd"},
         {"line settings", "could not be"}},
        {"Com 1",
         {Kind::BadSettings, "/dev/ttyS0",
          "the line settings \"9600,x,8,1\" are not valid: the parity must be n, e, o, m or s"},
         {"\"9600,x,8,1\"", "set up", "Choose 9600,n,8,1 or 19200,n,8,1."},
         {}},
        {"/dev/pts/3",
         {Kind::InUse, "/dev/pts/3", ""},
         {"/dev/pts/3", "Another program is using this port"},
         {"Reason", "Permission", "locking"}},
        {"/dev/ttyUSB0",
         {Kind::InUse, "/dev/ttyUSB0", "ModemManager (process 812)"},
         {"Another program is using this port: ModemManager (process 812). Close that program"},
         {"Reason"}},
        {"/dev/ttyUSB0",
         {Kind::NeverQuiet, "/dev/ttyUSB0", never_quiet_words},
         {"\"/dev/ttyUSB0\" could not be used.",
          "Reason: the line never fell quiet: something keeps sending on it.",
          "keeps sending on this line"},
         {"opened", "Another program is using"}},
    };
    for (const auto& c : cases) {
        const std::string text = port_failure_message(c.typed, "9600,x,8,1", c.failure);
        for (const auto& part : c.once)
            EXPECT_EQ(occurrences(text, part), 1) << text << "\n  part: " << part;
        for (const auto& part : c.never)
            EXPECT_FALSE(contains(text, part)) << text << "\n  part: " << part;
        EXPECT_EQ(occurrences(text, "Nothing was sent to the display."), 1) << text;
    }
}
