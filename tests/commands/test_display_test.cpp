#include "commands/test_display.h"

#include "link/forwarding_port.h"
#include "settings/settings_image.h"
#include "support/fake_display.h"
#include "support/fake_services.h"
#include "support/golden_bytes.h"
#include "support/sample_images.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

using namespace pds;

namespace {

using golden::Bytes;
using golden::hex;
using golden::text;
using golden::operator+;
using Result = DisplayTestOutcome::Result;

std::string shown(const std::vector<Bytes>& writes) {
    std::string out;
    for (const auto& write : writes) {
        out += "[";
        for (std::size_t i = 0; i < write.size(); ++i) {
            char cell[4];
            std::snprintf(cell, sizeof cell, i ? " %02X" : "%02X", write[i]);
            out += cell;
        }
        out += "]";
    }
    return out;
}

// Keeps each write as the port was handed it, so a command split over two writes shows.
class WriteRecorder : public ForwardingSerialPort {
public:
    using ForwardingSerialPort::ForwardingSerialPort;
    void queue(std::span<const std::uint8_t> bytes) override {
        writes.emplace_back(bytes.begin(), bytes.end());
        inner.queue(bytes);
    }
    std::vector<Bytes> writes;
};

// A display on /dev/ttyUSB0 that answers the read at `speed` with its command set and code
// page, and takes anything else as run-time bytes.
struct TestDisplayTest : ::testing::Test {
    fakes::VirtualClock clock;
    fakes::ScriptedPort port{clock};
    fakes::ScriptedDisplay display{port};
    WriteRecorder recorder{port};
    ImageBytes image = samples::factory_image();
    std::string speed = "9600";
    std::vector<std::string> opened_at;

    TestDisplayTest() {
        port.on_call = [this](const std::string& call) {
            if (call != "open")
                return;
            opened_at.push_back(port.settings);
            display.reply = port.settings.starts_with(speed + ",")
                                ? fakes::ScriptedDisplay::reply_of(image)
                                : Bytes{};
        };
    }
    void TearDown() override { EXPECT_FALSE(port.is_open()) << "port left open"; }

    void set_display(int command_set, int code_page) {
        at_position(image, position::command_set) = static_cast<std::uint8_t>(command_set);
        at_position(image, position::code_page) = static_cast<std::uint8_t>(code_page);
    }

    DisplayTestRequest request(DisplayAction action) {
        DisplayTestRequest r;
        r.port = {0, "/dev/ttyUSB0"};
        r.action = action;
        r.step_ms = 500;
        return r;
    }

    // The writes after the last read request (whose bytes go out one by one).
    std::vector<Bytes> runtime_writes() const {
        auto from = recorder.writes.begin();
        for (auto it = recorder.writes.begin(); it != recorder.writes.end(); ++it)
            if (*it == hex("EE"))
                from = it + 1;
        return {from, recorder.writes.end()};
    }
};

TEST_F(TestDisplayTest, SpeaksTheReportedSetAndCodePageAtTheSpeedItAnswered) {
    set_display(1, 30); // EPSON, Russian (CP-866)
    speed = "19200";
    auto r = request(DisplayAction::ShowLines);
    r.line_2 = "Привет";
    const DisplayTestOutcome outcome = test_display(recorder, clock, r);

    EXPECT_EQ(outcome.result, Result::Done) << outcome.message;
    EXPECT_EQ(outcome.set_name, "EPSON (Default)");
    EXPECT_TRUE(outcome.set_read);
    EXPECT_EQ(outcome.code_page_name, "Russian (CP-866)");
    EXPECT_EQ(outcome.speed, 19200);
    EXPECT_EQ(opened_at, (std::vector<std::string>{"9600,n,8,1", "19200,n,8,1"}));
    // CP-866: П 8F, р E0, и A8, в A2, е A5, т E2; US $ 1 2 puts it on line 2.
    const std::vector<Bytes> golden = {hex("1F 24 01 02 8F E0 A8 A2 A5 E2") + Bytes(14, ' ')};
    EXPECT_EQ(shown(runtime_writes()), shown(golden));
    EXPECT_EQ(shown(outcome.sent), shown(golden));
    EXPECT_EQ(port.sent, hex("1B EE 1B EE") + golden[0]);
    EXPECT_EQ(display.read_requests, 2);
}

TEST_F(TestDisplayTest, TestSequenceStepsThroughBrightnessAndEndsCleared) {
    set_display(1, 0); // EPSON, CP-437
    for (const bool self_test : {false, true}) {
        SCOPED_TRACE(self_test ? "with self-test" : "without");
        recorder.writes.clear();
        auto r = request(DisplayAction::Test);
        r.self_test = self_test;
        const std::uint32_t start = clock.now;
        const DisplayTestOutcome outcome = test_display(recorder, clock, r);
        EXPECT_EQ(outcome.result, Result::Done) << outcome.message;
        // CP-437's first letters past ASCII are at 80..93 (Ç ü é â ä à å ç ê ë è ï î ì Ä Å É
        // æ Æ ô).
        Bytes national;
        for (int code = 0x80; code <= 0x93; ++code)
            national.push_back(static_cast<std::uint8_t>(code));
        std::vector<Bytes> golden = {hex("1B 40"),
                                     hex("0C"),
                                     hex("1F 24 01 01") + text("0123456789ABCDEFGHIJ"),
                                     hex("1F 24 01 02") + national,
                                     hex("1F 58 01"),
                                     hex("1F 58 02"),
                                     hex("1F 58 03"),
                                     hex("1F 58 04"),
                                     hex("0C")};
        if (self_test)
            golden.push_back(hex("1F 40"));
        EXPECT_EQ(shown(runtime_writes()), shown(golden));
        // The lines, then each level, stay up for a step each.
        EXPECT_GE(clock.now - start, 5u * 500u);
    }
}

TEST_F(TestDisplayTest, InStringModeEveryOtherCommandFollowsAClear) {
    set_display(7, 0); // CD5220: after ESC Q A/B only CLR or CAN is obeyed
    for (const DisplayAction action :
         {DisplayAction::Test, DisplayAction::Brightness, DisplayAction::SelfTest}) {
        recorder.writes.clear();
        auto r = request(action);
        r.brightness_level = 2;
        r.self_test = true;
        const DisplayTestOutcome outcome = test_display(recorder, clock, r);
        ASSERT_EQ(outcome.result, Result::Done) << outcome.message;
        const auto writes = runtime_writes();
        bool locked = true; // as if a line had been shown before
        std::vector<Bytes> levels;
        for (const Bytes& write : writes) {
            const bool line = write.size() > 2 && write[0] == 0x1B && write[1] == 0x51;
            if (write == hex("0C"))
                locked = false;
            else if (line)
                locked = true;
            else
                EXPECT_FALSE(locked) << shown({write}) << " would be ignored in " << shown(writes);
            if (write.size() == 3 && write[0] == 0x1B && write[1] == 0x2A)
                levels.push_back(write);
        }
        if (action == DisplayAction::Test) {
            EXPECT_EQ(shown(levels),
                      shown({hex("1B 2A 01"), hex("1B 2A 02"), hex("1B 2A 03"), hex("1B 2A 04")}));
            // Cleared at the end, then the self-test that was asked for.
            ASSERT_GE(writes.size(), 2u);
            EXPECT_EQ(writes[writes.size() - 2], hex("0C"));
            EXPECT_EQ(writes.back(), hex("1F 40"));
            // Text shows at every level: the lines come back after each clear.
            EXPECT_EQ(std::count(writes.begin(), writes.end(),
                                 hex("1B 51 41") + text("0123456789ABCDEFGHIJ") + hex("0D")),
                      5);
        }
        if (action == DisplayAction::Brightness) {
            EXPECT_EQ(shown(writes), shown({hex("0C"), hex("1B 2A 02")}));
        }
    }
}

TEST_F(TestDisplayTest, RefusalsSendNothing) {
    struct Case {
        const char* name;
        std::optional<int> chosen_set;
        int display_set;
        DisplayAction action;
        std::string line;
        int level;
        bool self_test;
        const char* words;
    };
    const std::vector<Case> cases = {
        {"chosen ORBIT", 0, 1, DisplayAction::Clear, "", 4, false,
         "the command set ORBIT is not supported"},
        {"chosen DSP800", 6, 1, DisplayAction::ShowLines, "HI", 4, false,
         "the command set DSP800 is not supported"},
        {"chosen set without brightness", 3, 1, DisplayAction::Brightness, "", 2, false,
         "the command set UTC/P has no brightness command"},
        {"self-test asked of a set without one", 9, 1, DisplayAction::Test, "", 4, true,
         "the command set LogicControl has no self-test command"},
        {"character the page lacks", 1, 1, DisplayAction::ShowLines, "Price 5€", 4, false,
         "\"€\" is not in US English (CP-437)"},
        {"level out of range", 1, 1, DisplayAction::Brightness, "", 5, false, "1 to 4"},
        {"no line given", 1, 1, DisplayAction::ShowLines, "", 4, false, "no line to show"},
        {"reported ORBIT", std::nullopt, 0, DisplayAction::ShowLines, "HI", 4, false,
         "the command set ORBIT is not supported"},
        {"reported ADM788, self-test", std::nullopt, 5, DisplayAction::SelfTest, "", 4, false,
         "the command set ADM788 has no self-test command"},
        {"reported code 12", std::nullopt, 12, DisplayAction::Clear, "", 4, false,
         "not in the Command list"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        recorder.writes.clear();
        port.sent.clear();
        const int opens = port.opens;
        set_display(c.display_set, 0);
        auto r = request(c.action);
        r.command_set = c.chosen_set;
        if (!c.line.empty())
            r.line_1 = c.line;
        r.brightness_level = c.level;
        r.self_test = c.self_test;
        const DisplayTestOutcome outcome = test_display(recorder, clock, r);
        EXPECT_EQ(outcome.result, Result::Refused);
        EXPECT_NE(outcome.message.find(c.words), std::string::npos) << outcome.message;
        EXPECT_TRUE(outcome.sent.empty());
        if (c.chosen_set) {
            EXPECT_EQ(port.opens, opens) << "a chosen set is checked before the port opens";
            EXPECT_TRUE(port.sent.empty());
        } else {
            EXPECT_EQ(port.sent, hex("1B EE")) << "only the read went out";
        }
    }
}

TEST_F(TestDisplayTest, ChosenSetSkipsTheReadAndSpeaksAtTheGivenSpeed) {
    display.reply.clear();
    speed = "none"; // answers no read
    auto r = request(DisplayAction::ShowLines);
    r.command_set = 2; // UTC/S
    r.speed = 19200;
    r.line_1 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const DisplayTestOutcome outcome = test_display(recorder, clock, r);
    EXPECT_EQ(outcome.result, Result::Done) << outcome.message;
    EXPECT_FALSE(outcome.set_read);
    EXPECT_EQ(outcome.set_name, "UTC/S");
    EXPECT_EQ(outcome.speed, 19200);
    EXPECT_EQ(opened_at, (std::vector<std::string>{"19200,n,8,1"}));
    EXPECT_EQ(display.read_requests, 0);
    // DC1 normal mode first, as its own write; then DLE 00 and the line, cut to 20, in one.
    EXPECT_EQ(shown(recorder.writes),
              shown({hex("11"), hex("10 00") + text("ABCDEFGHIJKLMNOPQRST")}));
    EXPECT_EQ(outcome.notes, (std::vector<std::string>{"line 1 cut to 20 characters"}));
}

TEST_F(TestDisplayTest, FailuresOnTheLine) {
    {
        SCOPED_TRACE("no display at either speed");
        speed = "4800";
        const DisplayTestOutcome outcome =
            test_display(recorder, clock, request(DisplayAction::Clear));
        EXPECT_EQ(outcome.result, Result::NoDisplay);
        EXPECT_NE(outcome.message.find("9600 or 19200"), std::string::npos) << outcome.message;
        EXPECT_EQ(port.sent, hex("1B EE 1B EE"));
    }
    {
        SCOPED_TRACE("port cannot open");
        port.sent.clear();
        port.open_failure = PortFailure{PortFailure::Kind::Permission, "/dev/ttyUSB0", "denied"};
        const DisplayTestOutcome outcome =
            test_display(recorder, clock, request(DisplayAction::Clear));
        EXPECT_EQ(outcome.result, Result::PortFailed);
        ASSERT_TRUE(outcome.failure.has_value());
        EXPECT_EQ(outcome.failure->kind, PortFailure::Kind::Permission);
        EXPECT_FALSE(outcome.message.empty());
        EXPECT_TRUE(port.sent.empty());
        port.open_failure.reset();
    }
    {
        SCOPED_TRACE("device goes during the test");
        speed = "9600";
        set_display(9, 0);                          // LogicControl
        port.lose_after_bytes = 2 + 1 + 1 + 22 + 3; // the read, US, DC1, line 1, part of line 2
        const DisplayTestOutcome outcome =
            test_display(recorder, clock, request(DisplayAction::Test));
        EXPECT_EQ(outcome.result, Result::LineLost);
        EXPECT_FALSE(outcome.message.empty());
        EXPECT_EQ(outcome.sent.size(), 5u) << shown(outcome.sent);
    }
}

TEST_F(TestDisplayTest, CancelStopsBetweenSteps) {
    set_display(1, 0);
    auto r = request(DisplayAction::Test);
    r.step_ms = 10000;
    const std::uint32_t start = clock.now;
    const DisplayTestOutcome outcome =
        test_display(recorder, clock, r, [&] { return clock.now - start > 3000; });
    EXPECT_EQ(outcome.result, Result::Cancelled);
    EXPECT_LT(clock.now - start, 4000u);
    // Up to the lines, then nothing more.
    EXPECT_EQ(outcome.sent.size(), 4u) << shown(outcome.sent);
    EXPECT_EQ(runtime_writes().size(), 4u);
}

TEST(NationalLine, TheCodePagesOwnLetters) {
    EXPECT_EQ(national_line(30), "АБВГДЕЖЗИЙКЛМНОПРСТУ"); // Russian (CP-866)
    EXPECT_EQ(national_line(0), "ÇüéâäàåçêëèïîìÄÅÉæÆô");  // US English (CP-437)
    EXPECT_EQ(national_line(15).substr(0, 2), "Ά");       // Greek (CP-1253), at A2
    EXPECT_EQ(national_line(99), "");                     // outside the list: ASCII only
}

} // namespace
