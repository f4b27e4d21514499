// The date check of the write exchange: the display proves it understood the request by
// answering with a byte computed from the date digits the host sent.
#pragma once

#include "services/calendar.h"

#include <array>
#include <cstdint>

namespace pds {

using DateDigits = std::array<std::uint8_t, 8>;

// Y1 Y2 Y3 Y4 M1 M2 D1 D2, each byte the digit's value 0..9 (not its character code).
DateDigits date_digits(const Date& date);

// abs(min(255, (10*Y1 + Y2 - (Y3 + Y4)) * (10*M1 + M2)) - (10*D1 + D2)); the bound applies
// from above only, so a negative product stays negative.
int irc_value(const DateDigits& digits);

} // namespace pds
