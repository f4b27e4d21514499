#pragma once

#include <cstdint>

namespace pds {

// Milliseconds since some fixed start, 32 bits, wrapping; only differences mean anything.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint32_t tick() = 0;
};

} // namespace pds
