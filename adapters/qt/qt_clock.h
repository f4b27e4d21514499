#pragma once

#include "services/clock.h"

#include <QElapsedTimer>

namespace pds {

// Milliseconds on the monotonic clock, cut to 32 bits so it wraps like the tick it stands for.
class QtClock : public Clock {
public:
    QtClock() { timer.start(); }
    std::uint32_t tick() override { return static_cast<std::uint32_t>(timer.elapsed()); }

private:
    QElapsedTimer timer;
};

} // namespace pds
