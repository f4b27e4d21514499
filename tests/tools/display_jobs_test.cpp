// vfdctl's work on one display, on a scripted port and a virtual clock: the speed search and
// the read-write-read sequence, with every wait taken in no real time.
#include "display_jobs.h"

#include "exit_codes.h"
#include "support/fake_display.h"
#include "support/fake_services.h"
#include "support/sample_images.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace pds {
namespace {

using namespace cli;

// A display that answers only at the speeds it listens at, and reads back what it stored.
struct ScriptedLine {
    ScriptedLine() {
        const auto answer = port.on_sent;
        port.on_sent = [this, answer](std::uint8_t b) {
            if (std::find(listening.begin(), listening.end(), port.settings) == listening.end())
                return;
            answer(b);
            if (display.stored && *display.stored != last_stored) {
                last_stored = *display.stored;
                ImageBytes image{};
                std::copy(last_stored.begin(), last_stored.end(), image.begin());
                display.reply = fakes::ScriptedDisplay::reply_of(image);
            }
        };
        display.reply = fakes::ScriptedDisplay::reply_of(samples::factory_image());
    }

    PortTarget target(std::vector<int> speeds) {
        return {"/dev/ttyUSB0", port_choice("/dev/ttyUSB0"), std::move(speeds)};
    }

    fakes::VirtualClock clock;
    fakes::ScriptedPort port{clock};
    fakes::ScriptedDisplay display{port};
    fakes::FixedCalendar calendar;
    Link link{port, clock, calendar};
    std::vector<std::string> listening{"9600,n,8,1"};
    std::vector<std::uint8_t> last_stored;
};

struct DisplayJobsTest : ::testing::Test, ScriptedLine {};

TEST(PortChoiceTest, KeepsTheWindowsNames) {
    EXPECT_EQ(port_choice("Com 1").number, 1);
    EXPECT_EQ(port_choice("Com 8").number, 8);
    EXPECT_EQ(port_choice("/dev/ttyUSB0").number, 0);
    EXPECT_EQ(port_choice("/dev/ttyUSB0").typed, "/dev/ttyUSB0");
    EXPECT_EQ(port_choice("com 1").typed, "com 1");
}

TEST_F(DisplayJobsTest, AutoTriesTheOtherSpeedAndSaysWhichAnswered) {
    listening = {"19200,n,8,1"};
    const Reading reading = read_display(link, target({9600, 19200}));
    EXPECT_EQ(reading.report.code, exit_success);
    EXPECT_EQ(reading.report.result, "19200 bit/s answered");
    EXPECT_EQ(reading.speed, 19200);
    EXPECT_EQ(reading.image, samples::factory_image());
    EXPECT_EQ(port.opens, 2);
    EXPECT_EQ(port.settings, "19200,n,8,1");
    EXPECT_FALSE(port.is_open());
}

TEST_F(DisplayJobsTest, ALineThatNeverFallsQuietIsAPortFaultAndNothingIsSent) {
    for (std::uint32_t at = 0; at < 2'000; ++at)
        port.arrive_in(at, {0xD0});
    const Reading reading = read_display(link, target({9600, 19200}));
    EXPECT_EQ(reading.report.code, exit_port_unavailable);
    EXPECT_EQ(reading.report.result, "the line never fell quiet: something keeps sending on it");
    EXPECT_EQ(port.opens, 1) << "another speed does not quiet the line";

    const Report written = write_display(link, target({9600}), {samples::odd_image(), true});
    EXPECT_EQ(written.code, exit_port_unavailable);
    EXPECT_EQ(written.result, "the line never fell quiet: something keeps sending on it");
    EXPECT_FALSE(written.written);
    EXPECT_TRUE(port.sent.empty());
}

TEST_F(DisplayJobsTest, AutoFailureTellsWhatEachSpeedGave) {
    struct Case {
        std::string name;
        std::function<void(ScriptedLine&)> arrange;
        int code;
        std::string result;
        int opens;
    };
    const Case cases[] = {
        {"silent at both", [](ScriptedLine& t) { t.listening.clear(); }, exit_no_answer,
         "no answer within 2000 ms at 9600 bit/s; no answer within 2000 ms at 19200 bit/s", 2},
        {"garbled, then silent",
         [](ScriptedLine& t) {
             t.display.reply = fakes::ScriptedDisplay::reply_of(samples::factory_image(), 0x00);
         },
         exit_bad_reply,
         "bad reply at 9600 bit/s: it starts with 0x00, not 0xAA; no answer within 2000 ms at "
         "19200 bit/s",
         2},
        {"short, then silent", [](ScriptedLine& t) { t.display.reply.resize(100); }, exit_bad_reply,
         "short reply at 9600 bit/s: 100 of 127 bytes within 3000 ms; no answer within 2000 ms "
         "at 19200 bit/s",
         2},
        {"cannot be opened",
         [](ScriptedLine& t) {
             t.port.open_failure =
                 PortFailure{PortFailure::Kind::Permission, "/dev/ttyUSB0", "Permission denied"};
         },
         exit_port_unavailable, "cannot open /dev/ttyUSB0: Permission denied", 1},
        {"gone at the first speed", [](ScriptedLine& t) { t.port.lose_after_bytes = 1; },
         exit_line_lost, "the device went away during the read at 9600 bit/s", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedLine t;
        c.arrange(t);
        const Reading reading = read_display(t.link, t.target({9600, 19200}));
        EXPECT_EQ(reading.report.code, c.code);
        EXPECT_EQ(reading.report.result, c.result);
        EXPECT_FALSE(reading.image);
        EXPECT_EQ(t.port.opens, c.opens);
        EXPECT_FALSE(t.port.is_open());
    }
}

TEST_F(DisplayJobsTest, WriteAtTheSpeedThatAnsweredThenVerify) {
    listening = {"19200,n,8,1"};
    WriteRequest request;
    request.image = samples::odd_image();
    request.settle_ms = 0;
    const Report report = write_display(link, target({9600, 19200}), request);
    EXPECT_EQ(report.code, exit_success);
    EXPECT_EQ(report.result, "written and verified at 19200 bit/s");
    ASSERT_TRUE(display.stored);
    EXPECT_TRUE(
        std::equal(display.stored->begin(), display.stored->end(), samples::odd_image().begin()));
    EXPECT_EQ(display.read_requests, 2) << "before and after";
}

TEST_F(DisplayJobsTest, ForceAtOneSpeedWritesWithoutReadingFirst) {
    WriteRequest request;
    request.image = samples::factory_image(); // what the display holds already
    request.force = true;
    request.settle_ms = 0;
    const Report report = write_display(link, target({9600}), request);
    EXPECT_EQ(report.code, exit_success);
    EXPECT_EQ(report.result, "written and verified at 9600 bit/s");
    EXPECT_TRUE(display.stored);
    EXPECT_EQ(display.read_requests, 1) << "only the read-back";
}

TEST_F(DisplayJobsTest, ReadBackThatFailsIsReportedAfterTheWrite) {
    // The display stores the image but answers the read-back with a broken mark.
    WriteRequest request;
    request.image = samples::odd_image();
    request.force = true;
    request.settle_ms = 0;
    const auto answer = port.on_sent;
    port.on_sent = [&, answer](std::uint8_t b) {
        answer(b);
        if (display.stored)
            display.reply[0] = 0x00;
    };
    const Report report = write_display(link, target({9600}), request);
    EXPECT_EQ(report.code, exit_bad_reply);
    EXPECT_EQ(report.result, "written at 9600 bit/s, but the read-back failed: bad reply at 9600 "
                             "bit/s: it starts with 0x00, not 0xAA");
}

} // namespace
} // namespace pds
