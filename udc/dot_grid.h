#pragma once

#include <array>

namespace pds {

inline constexpr int udc_columns = 5;
inline constexpr int udc_rows = 7;

// The dots of one user-defined character: column 1..5 from the left, row 0..6 from the top.
struct DotGrid {
    std::array<std::array<bool, udc_rows>, udc_columns> dots{};

    bool lit(int column, int row) const { return dots.at(column - 1).at(row); }
    void set(int column, int row, bool on) { dots.at(column - 1).at(row) = on; }
    bool operator==(const DotGrid&) const = default;
};

} // namespace pds
