#include "link/port_routines.h"

#include "support/fake_services.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace pds;

namespace {

struct PortRoutinesTest : ::testing::Test {
    fakes::FakeServices fake;
    fakes::ScriptedPort& port = fake.port;
    fakes::VirtualClock& clock = fake.clock;

    PortRoutinesTest() { port.open(); }
    std::int32_t elapsed_since(std::uint32_t start) const {
        return static_cast<std::int32_t>(clock.now - start);
    }
};

// Start ticks that put a wrap of the counter inside the waits below, or none.
class WaitFromTick : public PortRoutinesTest, public ::testing::WithParamInterface<std::uint32_t> {
protected:
    void SetUp() override { clock.now = GetParam(); }
};

} // namespace

TEST_P(WaitFromTick, NoInputReturnsJustPastTheLimitWithoutSpinning) {
    const std::uint32_t start = clock.now;
    wait_input(port, clock, 1, 2000);
    EXPECT_EQ(elapsed_since(start), 2001);
    EXPECT_LE(port.waits, 3);
}

TEST_P(WaitFromTick, AByteEndsTheWaitWhenItArrives) {
    const std::uint32_t start = clock.now;
    port.arrive_in(500, {0x8A});
    wait_input(port, clock, 1, 2000);
    EXPECT_EQ(elapsed_since(start), 500);
    EXPECT_EQ(port.bytes_waiting(), 1);
}

TEST_P(WaitFromTick, AByteOnTheLimitStillCounts) {
    const std::uint32_t start = clock.now;
    port.arrive_in(2000, {0x8A});
    wait_input(port, clock, 1, 2000);
    EXPECT_EQ(elapsed_since(start), 2000);
    EXPECT_EQ(port.bytes_waiting(), 1);
}

TEST_P(WaitFromTick, PollingGoesOnWhileTheElapsedTimeEqualsTheLimit) {
    const std::uint32_t start = clock.now;
    port.arrive_in(2000, {0x01});
    port.arrive_in(2001, {0x02});
    wait_input(port, clock, 2, 2000);
    EXPECT_EQ(elapsed_since(start), 2001);
    EXPECT_EQ(port.bytes_waiting(), 2);
}

TEST_P(WaitFromTick, TheCountedByteEndsTheWaitEvenWhileMoreAreComing) {
    const std::uint32_t start = clock.now;
    port.arrive_in(100, std::vector<std::uint8_t>(126, 0x11));
    port.arrive_in(300, {0x22});
    port.arrive_in(400, {0x33, 0x44, 0x55});
    wait_input(port, clock, 127, 3000);
    EXPECT_EQ(elapsed_since(start), 300);
    EXPECT_EQ(port.bytes_waiting(), 127);
}

TEST_P(WaitFromTick, PauseLastsItsTimeAndPumpsInShortSlices) {
    const std::uint32_t start = clock.now;
    std::uint32_t last = clock.now;
    int longest_slice = 0;
    auto note_slice = [&] {
        longest_slice = std::max(longest_slice, static_cast<int>(clock.now - last));
        last = clock.now;
    };
    fake.events.during_pass = note_slice;
    wait_ms(fake.events, clock, 1000);
    note_slice();
    EXPECT_EQ(elapsed_since(start), 1000);
    EXPECT_GT(fake.events.passes, 1);
    EXPECT_LE(longest_slice, pump_slice_ms);
}

TEST_P(WaitFromTick, SendWaitsForTheByteToLeave) {
    const std::uint32_t start = clock.now;
    port.drain_ms = 1000; // the last moment still within the limit
    EXPECT_TRUE(send_bytes(port, clock, 0x1B));
    EXPECT_EQ(elapsed_since(start), 1000);
    EXPECT_EQ(port.sent, std::vector<std::uint8_t>{0x1B});
}

TEST_P(WaitFromTick, SendGivesUpOnALineThatNeverDrains) {
    const std::uint32_t start = clock.now;
    port.never_drains = true;
    EXPECT_FALSE(send_bytes(port, clock, 0x1B));
    EXPECT_EQ(elapsed_since(start), 1001);
    EXPECT_LE(port.waits, 3);
}

TEST_P(WaitFromTick, ASilentLineIsQuietJustPastItsQuietTime) {
    const std::uint32_t start = clock.now;
    wait_quiet(port, clock);
    EXPECT_EQ(elapsed_since(start), quiet_time_ms(port) + 1);
    EXPECT_LE(port.waits, 3);
}

TEST_P(WaitFromTick, ABabblingLineIsGivenUpOnAtTheLimit) {
    const std::uint32_t start = clock.now;
    const auto limit = static_cast<std::uint32_t>(quiet_limit_ms(port));
    for (std::uint32_t at = 0; at <= 2 * limit; ++at)
        port.arrive_in(at, {0x00});
    EXPECT_FALSE(wait_quiet(port, clock));
    EXPECT_EQ(elapsed_since(start), quiet_limit_ms(port) + 1);
}

INSTANTIATE_TEST_SUITE_P(Ticks, WaitFromTick,
                         ::testing::Values(0u, 0xFFFFFFFFu - 499u, 0xFFFFFFFFu, 0x7FFFFFFFu - 99u));

TEST_F(PortRoutinesTest, PauseOfZeroOrLessPumpsOnceAndReturns) {
    for (std::int32_t ms : {0, -1, -5000}) {
        fake.events.passes = 0;
        const std::uint32_t start = clock.now;
        wait_ms(fake.events, clock, ms);
        EXPECT_EQ(fake.events.passes, 1) << ms;
        EXPECT_EQ(clock.now, start) << ms;
    }
}

TEST_F(PortRoutinesTest, ACounterGoingBackwardsRestartsThePause) {
    clock.now = 50'000;
    int pass = 0;
    std::uint32_t after_jump = 0;
    fake.events.during_pass = [&] {
        if (++pass == 31) { // 300 ms into the pause
            clock.now -= 5000;
            after_jump = clock.now;
        }
    };
    wait_ms(fake.events, clock, 1000);
    EXPECT_EQ(static_cast<std::int32_t>(clock.now - after_jump), 1000 + pump_slice_ms);
}

TEST_F(PortRoutinesTest, QuietMeansNoByteForFourCharacterTimesOrTheFloor) {
    const struct {
        double character_ms;
        std::int32_t quiet_ms;
    } lines[] = {{10.0 / 9.6, quiet_floor_ms}, {10.0 / 19.2, quiet_floor_ms}, {11.0 / 1.2, 37}};
    for (const auto& line : lines) {
        SCOPED_TRACE(line.character_ms);
        port.character_ms = line.character_ms;
        ASSERT_EQ(quiet_time_ms(port), line.quiet_ms);
        // Gaps of exactly the quiet time are a device still sending.
        const std::uint32_t start = clock.now;
        for (std::uint32_t k = 0; k < 4; ++k)
            port.arrive_in(k * line.quiet_ms, {0xAA});
        wait_quiet(port, clock);
        EXPECT_EQ(elapsed_since(start), 3 * line.quiet_ms + line.quiet_ms + 1);
        EXPECT_EQ(port.bytes_waiting(), 0);
    }
}

TEST_F(PortRoutinesTest, TheQuietLimitCoversTwoRepliesAndAnAdaptersLatency) {
    const struct {
        double character_ms;
        std::int32_t limit_ms;
    } lines[] = {
        {10.0 / 9.6, 267 + adapter_latency_ms + quiet_floor_ms}, // 256 bytes take 266.7 ms
        {10.0 / 19.2, quiet_limit_floor_ms},                     // 134 + 40 + 20 is less
        {11.0 / 1.2, 2347 + adapter_latency_ms + 37},
    };
    for (const auto& line : lines) {
        SCOPED_TRACE(line.character_ms);
        port.character_ms = line.character_ms;
        EXPECT_EQ(quiet_limit_ms(port), line.limit_ms);
    }
}

TEST_F(PortRoutinesTest, TwoHundredTrailingBytesAtNineSixHundredFallQuietWithinTheLimit) {
    // A display's own bytes after its answer, one every character time: about 210 ms.
    const std::uint32_t start = clock.now;
    std::uint32_t last = 0;
    for (int k = 0; k < 200; ++k)
        port.arrive_in(last = static_cast<std::uint32_t>(k * 10 / 9.6), {0xAD});
    EXPECT_TRUE(wait_quiet(port, clock));
    EXPECT_EQ(elapsed_since(start), static_cast<std::int32_t>(last) + quiet_time_ms(port) + 1);
    EXPECT_EQ(port.bytes_waiting(), 0);
}

TEST_F(PortRoutinesTest, OnlyInputArrivingOnceTheLastByteIsQueuedIsKept) {
    for (std::uint8_t sent = 1; sent <= 4; ++sent)
        port.arrive_after_sent(sent, 0, {sent});
    const std::uint8_t request[] = {0x1B, 0x01, 0x02, 0x03};
    EXPECT_TRUE(send_request_end(port, clock, request));
    EXPECT_EQ(port.sent, std::vector<std::uint8_t>(std::begin(request), std::end(request)));
    EXPECT_EQ(port.read_all(), std::vector<std::uint8_t>{4});
}

TEST_F(PortRoutinesTest, ALostDeviceEndsEveryWaitAtOnce) {
    port.lose_in(300);
    wait_input(port, clock, 1, 2000);
    EXPECT_EQ(clock.now, 300u);
    EXPECT_TRUE(port.device_lost());
    EXPECT_TRUE(wait_quiet(port, clock)) << "the send that follows finds the device gone";
    EXPECT_EQ(clock.now, 300u);

    const std::uint32_t before = clock.now;
    EXPECT_FALSE(send_bytes(port, clock, 0x1B));
    EXPECT_EQ(clock.now, before);
}

TEST_F(PortRoutinesTest, SendingADeviceThatGoesAfterTheByteFails) {
    port.lose_after_bytes = 1;
    EXPECT_FALSE(send_bytes(port, clock, 0x1B));
    EXPECT_EQ(port.sent, std::vector<std::uint8_t>{0x1B});
}
