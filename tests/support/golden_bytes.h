// Golden byte sequences as the manuals print them: "1F 24 01 01" in hexadecimal, text as it
// goes out, joined with +.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace pds::golden {

using Bytes = std::vector<std::uint8_t>;

inline Bytes hex(const std::string& text) {
    Bytes bytes;
    std::istringstream in(text);
    unsigned value = 0;
    while (in >> std::hex >> value)
        bytes.push_back(static_cast<std::uint8_t>(value));
    return bytes;
}

inline Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace pds::golden
