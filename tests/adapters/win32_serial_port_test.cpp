// The Win32 adapter under Wine against virtual displays behind COM ports, as
// with_virtual_displays.sh sets them up: COM5 answers, COM6 is silent, COM7 refuses the check
// byte, COM8 hangs up inside its reply, COM30 does not exist.
#include "adapters/win32/win32_serial_port.h"
#include "link/link_settings.h"
#include "link/port_failure_message.h"
#include "link/read_exchange.h"
#include "link/write_exchange.h"
#include "services/steady_clock.h"
#include "support/fake_services.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

namespace pds {
namespace {

using Bytes = std::vector<std::uint8_t>;

double cpu_seconds() {
    FILETIME created, ended, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &ended, &kernel, &user);
    const auto seconds = [](const FILETIME& t) {
        return ((std::uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

ImageBytes pattern(std::uint8_t start) {
    ImageBytes image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(start + 7 * i);
    return image;
}

// What COM5's display keeps in its memory file, once it holds `expected` or 3 s have passed.
Bytes stored_on_com5(const ImageBytes& expected) {
    const char* path = std::getenv("PDS_COM5_MEMORY");
    if (!path)
        return {};
    Bytes stored;
    for (int i = 0; i < 30; ++i) {
        std::ifstream file(path, std::ios::binary);
        stored.assign(std::istreambuf_iterator<char>(file), {});
        if (stored == Bytes(expected.begin(), expected.end()))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return stored;
}

class Win32SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("PDS_COM5_MEMORY"), nullptr)
            << "run through with_virtual_displays.sh, which sets up the COM ports";
    }
    std::optional<PortFailure> open_on(const std::string& name,
                                       const std::string& settings = "9600,n,8,1") {
        return open_port(port, {{0, name}, settings});
    }

    Win32SerialPort port;
    SteadyClock clock;
    fakes::FixedCalendar calendar;
};

TEST_F(Win32SerialPortTest, WriteThenReadBackThroughTheAdapter) {
    const ImageBytes written = pattern(3);
    ASSERT_EQ(open_on("COM5"), std::nullopt);
    EXPECT_TRUE(port.is_open());
    EXPECT_EQ(write_exchange(port, clock, calendar, written), WriteOutcome::Written);
    EXPECT_EQ(port.bytes_pending(), 0);
    port.close();
    EXPECT_FALSE(port.is_open());
    EXPECT_EQ(stored_on_com5(written), Bytes(written.begin(), written.end()));

    // The device namespace form names the same port.
    ASSERT_EQ(open_on("\\\\.\\COM5"), std::nullopt);
    const ReadResult read = read_exchange(port, clock);
    EXPECT_EQ(read.outcome, ReadOutcome::Received);
    Bytes reply{reply_mark_value};
    reply.insert(reply.end(), written.begin(), written.end());
    EXPECT_EQ(read.reply, reply);
    EXPECT_FALSE(port.device_lost());
}

TEST_F(Win32SerialPortTest, WaitingForASilentDisplaySleepsAndGivesNoAnswer) {
    ASSERT_EQ(open_on("COM6"), std::nullopt);
    const double cpu_before = cpu_seconds();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(write_exchange(port, clock, calendar, pattern(1)), WriteOutcome::NoAnswer);
    const double wall_ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const double cpu_ms = (cpu_seconds() - cpu_before) * 1000;
    EXPECT_GE(wall_ms, check_answer_limit_ms);
    // A loose bound that holds on a loaded machine: a spinning wait would use all of it.
    EXPECT_LT(cpu_ms, 0.3 * wall_ms) << "of " << wall_ms << " ms";
    EXPECT_FALSE(port.device_lost());
}

TEST_F(Win32SerialPortTest, WrongCheckByteSendsNoConfiguration) {
    ASSERT_EQ(open_on("COM7"), std::nullopt);
    EXPECT_EQ(write_exchange(port, clock, calendar, pattern(5)), WriteOutcome::CheckRefused);
    // The display is still there and still holds what it had: all zero.
    const ReadResult read = read_exchange(port, clock);
    ASSERT_EQ(read.outcome, ReadOutcome::Received);
    Bytes untouched(reply_length, 0);
    untouched[0] = reply_mark_value;
    EXPECT_EQ(read.reply, untouched);
}

TEST_F(Win32SerialPortTest, HangUpInsideTheReplyIsALostDevice) {
    ASSERT_EQ(open_on("COM8"), std::nullopt);
    const ReadResult read = read_exchange(port, clock);
    EXPECT_EQ(read.outcome, ReadOutcome::LostDuringReply);
    EXPECT_TRUE(port.device_lost());
    EXPECT_TRUE(port.is_open()) << "open until the transfer closes it";
    EXPECT_EQ(port.bytes_pending(), 0);
    port.close();
    EXPECT_FALSE(port.is_open());
}

TEST_F(Win32SerialPortTest, RefusedOpensLeaveThePortClosed) {
    struct Case {
        std::string port;
        std::string settings;
        PortFailure::Kind kind;
        std::string hint; // in the operator's message
    };
    const Case cases[] = {
        {"COM30", "9600,n,8,1", PortFailure::Kind::NoSuchPort, "is plugged in"},
        {"NUL", "9600,n,8,1", PortFailure::Kind::NoSuchPort, "\"NUL\" is not a port"},
        {"COM5", "9600,x,8,1", PortFailure::Kind::BadSettings, "Choose 9600,n,8,1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.port + " " + c.settings);
        const auto failure = open_on(c.port, c.settings);
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->kind, c.kind);
        EXPECT_FALSE(port.is_open());
        EXPECT_NE(port_failure_message(c.port, c.settings, *failure).find(c.hint),
                  std::string::npos)
            << port_failure_message(c.port, c.settings, *failure);
    }
}

TEST_F(Win32SerialPortTest, PortInUseIsRefusedUntilItsHolderClosesIt) {
    ASSERT_EQ(open_on("COM5"), std::nullopt);
    Win32SerialPort second;
    second.set_port({5, {}}); // "Com 5"
    const auto failure = second.open();
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->kind, PortFailure::Kind::InUse);
    EXPECT_EQ(failure->device, "COM5");
    EXPECT_NE(port_failure_message("Com 5", "9600,n,8,1", *failure)
                  .find("Another program is using this port."),
              std::string::npos);
    EXPECT_FALSE(second.is_open());

    port.close();
    EXPECT_EQ(second.open(), std::nullopt);
    EXPECT_TRUE(second.is_open());
}

} // namespace
} // namespace pds
