#include "commands/welcome_lines.h"
#include "commands/write_to_display.h"

#include "commands/read_from_display.h"
#include "link/port_failure_message.h"
#include "link/serial_line.h"
#include "message/message_line.h"
#include "support/link_fixture.h"

#include <functional>
#include <string>
#include <vector>

using namespace pds;
using namespace pds::testing_link;

namespace {

struct WriteTest : LinkFixture {
    // The image a capture of the start-up editor makes over the pattern.
    std::vector<std::uint8_t> expected_payload() const {
        std::vector<std::uint8_t> payload;
        for (int p = 1; p <= image_size; ++p)
            payload.push_back(static_cast<std::uint8_t>(0x80 + p));
        auto at = [&](int p) -> std::uint8_t& { return payload[p - 1]; };
        at(position::display_baud) = 0;
        at(position::code_page) = 0;
        at(position::command_set) = 1;
        at(position::passthru_mode) = 0;
        const std::string line1 = default_line1, line2 = default_line2;
        for (int k = 1; k <= 20; ++k)
            at(6 + k) = static_cast<std::uint8_t>(line1[k - 1]);
        for (int k = 1; k <= 40; ++k)
            at(26 + k) = k <= 33 ? static_cast<std::uint8_t>(line2[k - 1]) : 0;
        return payload;
    }
    // Keeps the fixture's watch on the port and adds one of the test's own.
    void also_on_box(std::function<void()> f) {
        fake.boxes.on_show = [this, base = fake.boxes.on_show, f] {
            base();
            f();
        };
    }
    bool both_lines_hex() const {
        return editor.model.line1.hex_shown() && editor.model.line2.hex_shown();
    }
    bool both_lines_ascii() const {
        return editor.model.line1.characters_shown() && editor.model.line2.characters_shown();
    }
};

const std::vector<std::uint8_t> request_2026_12_06 = {0x1B, 0xEF, 0x02, 0x00, 0x02,
                                                      0x06, 0x01, 0x02, 0x00, 0x06};

} // namespace

TEST_F(WriteTest, TraceOfAWriteOn2026_12_06) {
    fill_image_with_pattern();
    write_to_display(editor);

    std::vector<std::uint8_t> trace = request_2026_12_06;
    trace.push_back(0xAA);
    const auto payload = expected_payload();
    trace.insert(trace.end(), payload.begin(), payload.end());
    EXPECT_EQ(port.sent, trace);
    ASSERT_TRUE(display.stored);
    EXPECT_EQ(*display.stored, payload);
    EXPECT_EQ(editor.image.reply_mark(), 0); // never sent, never touched
    EXPECT_EQ(boxes(), std::vector<std::string>{download_successful});
    EXPECT_EQ(port.opens, 1);
    EXPECT_EQ(port.closes, 1);
}

TEST_F(WriteTest, SuccessPausesASecondWithThePortClosedThenShowsCharactersAndTheBox) {
    select_view(editor.model.line2, MessageView::Hex,
                chosen_characters(editor.model)); // a line already in hex view comes back too
    bool open_during_pause = false;
    fake.events.during_pass = [&] { open_during_pause = open_during_pause || port.is_open(); };
    std::uint32_t box_at = 0;
    bool ascii_at_box = false;
    also_on_box([&] {
        box_at = fake.clock.now;
        ascii_at_box = both_lines_ascii();
    });

    write_to_display(editor);

    EXPECT_EQ(box_at, settle_ms() + display.answer_delay_ms + after_write_pause_ms);
    EXPECT_GT(fake.events.passes, 0);
    EXPECT_FALSE(open_during_pause);
    EXPECT_TRUE(ascii_at_box);
    EXPECT_EQ(editor.model.line1.chars[1], "*");
    EXPECT_EQ(editor.model.line2.chars[33], "*");
}

TEST_F(WriteTest, CapturesBetweenChoosingThePortAndOpeningIt) {
    editor.model.host_port.select(7);
    editor.model.host_line.select(1);
    std::vector<bool> captured_at_call;
    port.on_call = [&](const std::string&) { captured_at_call.push_back(both_lines_hex()); };

    write_to_display(editor);

    EXPECT_EQ(port.calls, (std::vector<std::string>{"set_port", "set_settings", "set_port",
                                                    "set_settings", "open", "close"}));
    EXPECT_EQ(captured_at_call, (std::vector<bool>{false, false, true, true, true, true}));
    EXPECT_EQ(port.choice.number, 8);
    EXPECT_EQ(port.settings, "19200,n,8,1");
}

TEST_F(WriteTest, ALineThatNeverFallsQuietIsAPortFaultAndNothingIsSent) {
    // Once the write has chosen its port; before, the editor is still being captured.
    port.on_call = [this](const std::string& call) {
        if (call == "open")
            for (std::uint32_t at = 0; at < 2'000; ++at)
                port.arrive_in(at, {0xD0});
    };
    write_to_display(editor);

    EXPECT_TRUE(port.sent.empty());
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0], port_failure_message("Com 1", "9600,n,8,1",
                                               {PortFailure::Kind::NeverQuiet,
                                                *device_for(PortChoice{1, ""}, this_host()).device,
                                                never_quiet_words}));
    EXPECT_FALSE(display.stored);
}

TEST_F(WriteTest, OnlyTheFirstAnswerByteCounts) {
    display.check_answer = {0x8A, 0x8B, 0x00};
    write_to_display(editor);
    EXPECT_EQ(boxes(), std::vector<std::string>{download_successful});
    EXPECT_EQ(port.sent.at(10), 0xAA);
    EXPECT_TRUE(display.stored);

    port.sent.clear();
    fake.boxes.shown.clear();
    display.check_answer = {0x8B, 0x8A};
    write_to_display(editor);
    EXPECT_EQ(boxes(), std::vector<std::string>{irc_check_error});
    EXPECT_EQ(port.sent.back(), 0x55);
}

TEST_F(WriteTest, StaleInputIsDiscardedAfterOpening) {
    port.input = {0x8A}; // would pass for the right answer
    display.check_answer.clear();
    write_to_display(editor);
    EXPECT_EQ(boxes(), std::vector<std::string>{download_fail});

    fake.boxes.shown.clear();
    port.input = {0x8B}; // would be refused
    display.check_answer = {0x8A};
    write_to_display(editor);
    EXPECT_EQ(boxes(), std::vector<std::string>{download_successful});
}

TEST_F(WriteTest, NoiseTrailingAReadIsNotTakenForTheCheckByte) {
    for (int i = 0; i < 30; ++i)
        display.trailing.push_back(i % 2 ? 0x55 : 0xAA);
    display.reply = fakes::ScriptedDisplay::reply_of(ImageBytes{});
    read_from_display(editor); // as a write that reads first does
    write_to_display(editor);
    EXPECT_EQ(boxes(), (std::vector<std::string>{upload_ok, download_successful}));
    EXPECT_EQ(display.refusals, 0);
    EXPECT_TRUE(display.stored);
}

TEST_F(WriteTest, BytesArrivingDuringTheImageAreDiscarded) {
    port.drain_ms = 1; // the image takes 127 ms to go out
    port.arrive_in(settle_ms() + display.answer_delay_ms + 60, {0x01, 0x02});
    write_to_display(editor);
    EXPECT_EQ(boxes(), std::vector<std::string>{download_successful});
    EXPECT_EQ(port.input.size(), 0u);
}

namespace {

struct FailedWrite {
    const char* name;
    std::function<void(WriteTest&)> arrange;
    const char* box;
    std::size_t bytes_sent;
    std::uint32_t ends_at; // from the request
};

void PrintTo(const FailedWrite& f, std::ostream* os) {
    *os << f.name;
}

class FailedWriteTest : public WriteTest, public ::testing::WithParamInterface<FailedWrite> {};

} // namespace

TEST_P(FailedWriteTest, EndsWithItsBoxAndLeavesTheLinesInHexView) {
    const FailedWrite& f = GetParam();
    f.arrange(*this);
    fill_image_with_pattern();

    write_to_display(editor);

    EXPECT_EQ(boxes(), std::vector<std::string>{f.box});
    EXPECT_EQ(port.sent.size(), f.bytes_sent);
    EXPECT_EQ(fake.clock.now, settle_ms() + f.ends_at);
    EXPECT_FALSE(display.stored);
    EXPECT_EQ(fake.events.passes, 0); // no pause
    EXPECT_TRUE(both_lines_hex());
    EXPECT_EQ(port.closes, 1);
    // The capture stays done whatever the outcome.
    EXPECT_EQ(editor.image[position::command_set], 1);
    EXPECT_EQ(editor.image[position::welcome_line1], '*');
}

INSTANTIATE_TEST_SUITE_P(
    Endings, FailedWriteTest,
    ::testing::Values(
        FailedWrite{"Silent", [](WriteTest& t) { t.display.check_answer.clear(); }, download_fail,
                    10, 2001},
        FailedWrite{"WrongCheckByte", [](WriteTest& t) { t.display.check_answer = {0x8B}; },
                    irc_check_error, 11, 20},
        FailedWrite{"LineNeverDrains", [](WriteTest& t) { t.port.never_drains = true; },
                    download_fail, 1, 1001},
        FailedWrite{"LostDuringRequest", [](WriteTest& t) { t.port.lose_after_bytes = 2; },
                    download_fail, 2, 0},
        FailedWrite{"LostAwaitingTheAnswer",
                    [](WriteTest& t) {
                        t.display.answer_delay_ms = 1500;
                        t.port.lose_in(settle_ms() + 500);
                    },
                    download_fail, 10, 500},
        FailedWrite{"LostDuringTheImage", [](WriteTest& t) { t.port.lose_after_bytes = 11 + 60; },
                    download_fail, 71, 20}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WriteTest, WrongCheckByteIsRefusedWithOneAbortByte) {
    display.check_answer = {0x8B};
    write_to_display(editor);
    std::vector<std::uint8_t> trace = request_2026_12_06;
    trace.push_back(0x55);
    EXPECT_EQ(port.sent, trace);
    EXPECT_EQ(display.refusals, 1);
}

TEST_F(WriteTest, AfterALostDeviceTheNextWriteWorks) {
    port.lose_after_bytes = 40;
    write_to_display(editor);
    EXPECT_EQ(boxes(), std::vector<std::string>{download_fail});

    fake.clock.advance(5000); // the operator reads the box and tries again
    write_to_display(editor);
    EXPECT_EQ(boxes(), (std::vector<std::string>{download_fail, download_successful}));
    EXPECT_TRUE(display.stored);
}

TEST_F(WriteTest, PortThatCannotBeOpenedIsReportedOnceAndNothingIsSent) {
    const PortFailure failure{PortFailure::Kind::Permission, "/dev/ttyS0", "Permission denied"};
    port.open_failure = failure;

    write_to_display(editor);

    EXPECT_TRUE(port.sent.empty());
    EXPECT_EQ(boxes(),
              std::vector<std::string>{port_failure_message("Com 1", "9600,n,8,1", failure)});
    EXPECT_EQ(fake.events.passes, 0);
}

TEST_F(WriteTest, TypedDeviceIsOpenedAsTypedAndNamedWhenItFails) {
    editor.model.host_port.type("/dev/ttyUSB7");
    const PortFailure failure{PortFailure::Kind::NoSuchPort, "/dev/ttyUSB7",
                              "No such file or directory"};
    port.open_failure = failure;

    write_to_display(editor);

    EXPECT_EQ(port.choice.number, 0);
    EXPECT_EQ(port.choice.typed, "/dev/ttyUSB7");
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_NE(boxes()[0].find("\"/dev/ttyUSB7\""), std::string::npos) << boxes()[0];
}
