// Turns fuzz input into bytes arriving at a scripted port: chunks of
// [delay in 20 ms steps][length][bytes...], each delay counted from the chunk before.
#pragma once

#include "support/fake_services.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace pds::fuzz {

struct Arrivals {
    std::vector<std::uint8_t> stream; // every scripted byte, in arrival order
    std::vector<std::uint8_t> later;  // those not due at the moment they were scheduled
};

inline Arrivals schedule_arrivals(fakes::ScriptedPort& port, const std::uint8_t* data,
                                  std::size_t size) {
    Arrivals script;
    std::uint32_t delay = 0;
    std::size_t i = 0;
    while (i + 2 <= size) {
        delay += data[i] * 20u;
        const std::size_t length = std::min<std::size_t>(data[i + 1], size - i - 2);
        std::vector<std::uint8_t> chunk(data + i + 2, data + i + 2 + length);
        script.stream.insert(script.stream.end(), chunk.begin(), chunk.end());
        if (delay > 0)
            script.later.insert(script.later.end(), chunk.begin(), chunk.end());
        port.arrive_in(delay, std::move(chunk));
        i += 2 + length;
    }
    return script;
}

} // namespace pds::fuzz
