#pragma once

#include "services/clock.h"

#include <chrono>

namespace pds {

// Milliseconds on the standard monotonic clock, cut to 32 bits so it wraps like the tick it
// stands for.
class SteadyClock : public Clock {
public:
    std::uint32_t tick() override {
        const auto elapsed = std::chrono::steady_clock::now() - start;
        return static_cast<std::uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
    }

private:
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};

} // namespace pds
