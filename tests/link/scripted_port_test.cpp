// The scripted port is the ground every link test stands on, so its timing is checked too.
#include "support/fake_services.h"

#include <gtest/gtest.h>

#include <vector>

using namespace pds;

namespace {

struct ScriptedPortTest : ::testing::Test {
    fakes::VirtualClock clock;
    fakes::ScriptedPort port{clock};
    std::vector<std::uint8_t> waiting() { return port.read_all(); }
};

} // namespace

TEST_F(ScriptedPortTest, ArrivalsAcrossAWrapComeInTimeOrder) {
    clock.now = 0xFFFFFFF0u;
    port.arrive_in(0x20, {2}); // due after the wrap
    port.arrive_in(0x08, {1}); // due before it
    port.wait_for_activity(100);
    EXPECT_EQ(clock.now, 0xFFFFFFF8u);
    EXPECT_EQ(waiting(), std::vector<std::uint8_t>{1});
    port.wait_for_activity(100);
    EXPECT_EQ(clock.now, 0x10u);
    EXPECT_EQ(waiting(), std::vector<std::uint8_t>{2});
}

TEST_F(ScriptedPortTest, ArrivalsDueTogetherKeepTheirOrder) {
    port.arrive_in(5, {1, 2});
    port.arrive_in(5, {3});
    port.arrive_in(1, {0});
    port.wait_for_activity(10);
    port.wait_for_activity(10);
    EXPECT_EQ(clock.now, 5u);
    EXPECT_EQ(waiting(), (std::vector<std::uint8_t>{0, 1, 2, 3}));
}

TEST_F(ScriptedPortTest, ALossEndsTheSessionButNotTheNext) {
    port.open();
    port.lose_in(50);
    port.wait_for_activity(100);
    EXPECT_EQ(clock.now, 50u);
    EXPECT_TRUE(port.device_lost());
    port.close();
    port.open();
    EXPECT_FALSE(port.device_lost());
}
