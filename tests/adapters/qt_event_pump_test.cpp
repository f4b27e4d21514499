#include "adapters/qt/qt_event_pump.h"

#include "support/qt_application.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace pds {
namespace {

using SteadyClock = std::chrono::steady_clock;

double ms_since(SteadyClock::time_point start) {
    return std::chrono::duration<double, std::milli>(SteadyClock::now() - start).count();
}

class QtEventPumpTest : public ::testing::Test {
protected:
    void SetUp() override { testing::ensure_qt_application(); }
    QtEventPump events;
};

TEST_F(QtEventPumpTest, PassesWithNothingToDoSleepForTheirLimit) {
    // Events Qt left from its start may end the first pass early; after that passes sleep.
    const auto start = SteadyClock::now();
    int passes = 0;
    while (ms_since(start) < 300) {
        events.process_events(50);
        ++passes;
    }
    EXPECT_LE(passes, 8);
}

TEST_F(QtEventPumpTest, EventThatArrivesEndsThePassEarly) {
    bool fired = false;
    QTimer::singleShot(20, [&] { fired = true; });
    const auto start = SteadyClock::now();
    // A pass may wake for an event of Qt's own first; a few passes reach the timer.
    while (!fired && ms_since(start) < 1000)
        events.process_events(1000);
    EXPECT_TRUE(fired);
    EXPECT_LT(ms_since(start), 500);
}

TEST_F(QtEventPumpTest, ZeroWaitProcessesWhatIsPending) {
    bool ran = false;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { ran = true; }, Qt::QueuedConnection);
    events.process_events(0);
    EXPECT_TRUE(ran);
}

TEST_F(QtEventPumpTest, ThreadWithoutEventLoopSleepsInsteadOfReturningAtOnce) {
    double waited = 0;
    std::thread plain([&] {
        const auto start = SteadyClock::now();
        events.process_events(40);
        waited = ms_since(start);
    });
    plain.join();
    EXPECT_GE(waited, 35);
}

} // namespace
} // namespace pds
