#include "link/date_check.h"

#include "link/write_exchange.h"
#include "support/fake_display.h"
#include "support/fake_services.h"

#include <gtest/gtest.h>

#include <vector>

using namespace pds;

namespace {

struct WorkedDate {
    Date date;
    DateDigits digits;
    int irc;
};

const WorkedDate worked_dates[] = {
    {{2026, 12, 6}, {2, 0, 2, 6, 1, 2, 0, 6}, 0x8A},
    {{2025, 3, 15}, {2, 0, 2, 5, 0, 3, 1, 5}, 0x18},
    {{2029, 1, 20}, {2, 0, 2, 9, 0, 1, 2, 0}, 0x0B}, // negative before abs
    {{2000, 12, 31}, {2, 0, 0, 0, 1, 2, 3, 1}, 0xD1},
    {{2031, 11, 9}, {2, 0, 3, 1, 1, 1, 0, 9}, 0xA7},
};

void PrintTo(const WorkedDate& w, std::ostream* os) {
    *os << w.date.year << '-' << w.date.month << '-' << w.date.day;
}

class WorkedDateTest : public ::testing::TestWithParam<WorkedDate> {};

} // namespace

TEST_P(WorkedDateTest, DigitsAndCheckValue) {
    const WorkedDate& w = GetParam();
    EXPECT_EQ(date_digits(w.date), w.digits);
    EXPECT_EQ(irc_value(w.digits), w.irc);
}

// The exchange on its own, as a program without a window would run it.
TEST_P(WorkedDateTest, DisplayAnsweringTheCheckValueIsWritten) {
    const WorkedDate& w = GetParam();
    fakes::FakeServices fake;
    fakes::ScriptedDisplay display(fake.port);
    fake.calendar.date = w.date;
    display.check_answer = {static_cast<std::uint8_t>(w.irc)};
    ImageBytes payload{};
    payload.fill(0x5A);
    ASSERT_FALSE(fake.port.open());

    EXPECT_EQ(write_exchange(fake.port, fake.clock, fake.calendar, payload), WriteOutcome::Written);
    const std::vector<std::uint8_t> date_on_line(fake.port.sent.begin() + 2,
                                                 fake.port.sent.begin() + 10);
    EXPECT_EQ(date_on_line, std::vector<std::uint8_t>(w.digits.begin(), w.digits.end()));
    ASSERT_TRUE(display.stored);
    EXPECT_EQ(*display.stored, std::vector<std::uint8_t>(payload.begin(), payload.end()));
}

INSTANTIATE_TEST_SUITE_P(Dates, WorkedDateTest, ::testing::ValuesIn(worked_dates));

TEST(IrcValue, ProductIsBoundedFromAboveOnly) {
    // 20 * 12 would be 240; 25 * 12 = 300 is cut to 255: 255 - 1.
    EXPECT_EQ(irc_value(date_digits({2500, 12, 1})), 254);
    // 19 - 18 = 1, times 12, minus 31: negative, then made positive.
    EXPECT_EQ(irc_value(date_digits({1999, 12, 31})), 19);
    // A negative product is not raised to anything: (0 - 18) * 12 - 31.
    EXPECT_EQ(irc_value(date_digits({99, 12, 31})), 247);
}
