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
        FailureCase{{Kind::NoSuchPort, "", "No device of that name"}, {"names no serial port"}},
        FailureCase{{Kind::Other, "COM1", "Unknown error"}, {"could not be opened"}}));
