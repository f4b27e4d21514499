// The exchanges on their own, as a program without a window uses them: every way they end
// is told apart, although the window shows several of them with the same box.
#include "link/read_exchange.h"
#include "link/write_exchange.h"

#include "support/fake_display.h"
#include "support/fake_services.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace pds;

namespace {

struct ExchangeFixture {
    fakes::FakeServices fake;
    fakes::ScriptedDisplay display{fake.port};
    ImageBytes payload{};

    ExchangeFixture() {
        payload.fill(0x33);
        display.reply = fakes::ScriptedDisplay::reply_of(payload);
        fake.port.open();
    }
};

struct WriteCase {
    const char* name;
    std::function<void(ExchangeFixture&)> arrange;
    WriteOutcome outcome;
    // Bytes sent when the unbroken run began and ended: from 0xAA to the last image byte, or
    // to where the line failed; none when the image was never begun.
    std::vector<std::size_t> unbroken;
};

void PrintTo(const WriteCase& c, std::ostream* os) {
    *os << c.name;
}

class WriteOutcomeTest : public ::testing::TestWithParam<WriteCase> {};

struct ReadCase {
    const char* name;
    std::function<void(ExchangeFixture&)> arrange;
    ReadOutcome outcome;
    std::size_t reply_size;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

class ReadOutcomeTest : public ::testing::TestWithParam<ReadCase> {};

// Marks that come before the request is complete, and a reply that follows it at once: only the
// reply counts.
void stray_marks(ExchangeFixture& x) {
    x.fake.port.input = {0xAA};
    x.fake.port.arrive_after_sent(1, 0, {0xAA});
}
void quick_reply(ExchangeFixture& x) {
    x.display.reply_delay_ms = 0;
}

// A byte every character time at 9600 bit/s, `count` of them from now on.
void sending(ExchangeFixture& x, int count) {
    for (int k = 0; k < count; ++k)
        x.fake.port.arrive_in(static_cast<std::uint32_t>(k * 10 / 9.6), {0xAD});
}
// What a display sends after its read reply: 200 bytes, about 210 ms at 9600 bit/s.
void trailing_bytes(ExchangeFixture& x) {
    sending(x, 200);
}
// Something that never stops: two seconds of it is more than any wait for quiet here.
void endless_sender(ExchangeFixture& x) {
    sending(x, 2'000);
}

} // namespace

TEST_P(WriteOutcomeTest, EndsAsScripted) {
    ExchangeFixture x;
    GetParam().arrange(x);
    EXPECT_EQ(write_exchange(x.fake.port, x.fake.clock, x.fake.calendar, x.payload),
              GetParam().outcome);
    EXPECT_TRUE(x.fake.port.is_open()); // closing is the caller's
    EXPECT_EQ(x.fake.port.unbroken_marks, GetParam().unbroken);
    if (GetParam().outcome == WriteOutcome::NeverQuiet) {
        EXPECT_TRUE(x.fake.port.sent.empty()) << "nothing goes into a line that never fell quiet";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Endings, WriteOutcomeTest,
    ::testing::Values(
        WriteCase{"Written", [](ExchangeFixture&) {}, WriteOutcome::Written, {10, 137}},
        // A display cannot answer before the last date digit: whatever came earlier is not
        // the check byte, and whatever comes once that digit is on its way is.
        WriteCase{"StaleBytesThroughoutTheRequest",
                  [](ExchangeFixture& x) {
                      x.fake.port.input = {0x8B};
                      for (std::size_t sent = 1; sent <= 9; ++sent)
                          x.fake.port.arrive_after_sent(sent, 0, {0x8B});
                  },
                  WriteOutcome::Written,
                  {10, 137}},
        WriteCase{"QuickDisplay",
                  [](ExchangeFixture& x) { x.display.answer_delay_ms = 0; },
                  WriteOutcome::Written,
                  {10, 137}},
        WriteCase{"NoiseOnceTheLastDigitIsOut",
                  [](ExchangeFixture& x) { x.fake.port.arrive_after_sent(10, 0, {0x8B}); },
                  WriteOutcome::CheckRefused,
                  {}},
        WriteCase{"PastTwoHundredTrailingBytes", trailing_bytes, WriteOutcome::Written, {10, 137}},
        WriteCase{"NeverQuiet", endless_sender, WriteOutcome::NeverQuiet, {}},
        WriteCase{"NoAnswer",
                  [](ExchangeFixture& x) { x.display.check_answer.clear(); },
                  WriteOutcome::NoAnswer,
                  {}},
        WriteCase{"CheckRefused",
                  [](ExchangeFixture& x) { x.display.check_answer = {0}; },
                  WriteOutcome::CheckRefused,
                  {}},
        WriteCase{"LineStuck",
                  [](ExchangeFixture& x) { x.fake.port.never_drains = true; },
                  WriteOutcome::LineStuck,
                  {}},
        WriteCase{"DeviceLost",
                  [](ExchangeFixture& x) { x.fake.port.lose_after_bytes = 100; },
                  WriteOutcome::DeviceLost,
                  {10, 100}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(ReadOutcomeTest, EndsAsScripted) {
    ExchangeFixture x;
    GetParam().arrange(x);
    const ReadResult result = read_exchange(x.fake.port, x.fake.clock);
    EXPECT_EQ(result.outcome, GetParam().outcome);
    EXPECT_EQ(result.reply.size(), GetParam().reply_size);
    if (result.outcome == ReadOutcome::Received) {
        EXPECT_EQ(result.reply, x.display.reply);
    }
    if (result.outcome == ReadOutcome::NeverQuiet) {
        EXPECT_TRUE(x.fake.port.sent.empty()) << "nothing goes into a line that never fell quiet";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Endings, ReadOutcomeTest,
    ::testing::Values(
        ReadCase{"Received", [](ExchangeFixture&) {}, ReadOutcome::Received, 127},
        ReadCase{"StrayMarks", stray_marks, ReadOutcome::Received, 127},
        ReadCase{"QuickDisplay", quick_reply, ReadOutcome::Received, 127},
        ReadCase{"PastTwoHundredTrailingBytes", trailing_bytes, ReadOutcome::Received, 127},
        ReadCase{"NeverQuiet", endless_sender, ReadOutcome::NeverQuiet, 0},
        ReadCase{"NoAnswer", [](ExchangeFixture& x) { x.display.reply.clear(); },
                 ReadOutcome::NoAnswer, 0},
        ReadCase{"LineStuck", [](ExchangeFixture& x) { x.fake.port.never_drains = true; },
                 ReadOutcome::LineStuck, 0},
        ReadCase{"LostBeforeReply", [](ExchangeFixture& x) { x.fake.port.lose_in(10); },
                 ReadOutcome::LostBeforeReply, 0},
        ReadCase{"Short", [](ExchangeFixture& x) { x.display.reply.resize(126); },
                 ReadOutcome::Short, 126},
        ReadCase{"BadMark", [](ExchangeFixture& x) { x.display.reply[0] = 0xAB; },
                 ReadOutcome::BadMark, 127},
        ReadCase{"LostDuringReply",
                 [](ExchangeFixture& x) {
                     x.display.rest_delay_ms = 500;
                     x.fake.port.lose_in(100);
                 },
                 ReadOutcome::LostDuringReply, 0}),
    [](const auto& info) { return std::string(info.param.name); });
