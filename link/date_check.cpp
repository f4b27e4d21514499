#include "link/date_check.h"

#include <algorithm>
#include <cstdlib>

namespace pds {

namespace {
std::uint8_t digit(int value, int place) {
    return static_cast<std::uint8_t>(value / place % 10);
}
} // namespace

DateDigits date_digits(const Date& date) {
    return {digit(date.year, 1000), digit(date.year, 100), digit(date.year, 10),
            digit(date.year, 1),    digit(date.month, 10), digit(date.month, 1),
            digit(date.day, 10),    digit(date.day, 1)};
}

int irc_value(const DateDigits& d) {
    const int year_part = 10 * d[0] + d[1] - (d[2] + d[3]);
    const int month = 10 * d[4] + d[5];
    const int day = 10 * d[6] + d[7];
    return std::abs(std::min(255, year_part * month) - day);
}

} // namespace pds
