#pragma once

namespace pds {

struct Date {
    int year = 0;
    int month = 0; // 1..12
    int day = 0;   // 1..31
};

// The host's current local date.
class Calendar {
public:
    virtual ~Calendar() = default;
    virtual Date today() = 0;
};

} // namespace pds
