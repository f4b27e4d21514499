#include "message/charset.h"

#include <array>

namespace pds {

namespace {

// Code points of bytes 0x80..0x9F.
constexpr std::array<char32_t, 32> cp1252_high = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t code_point_of(std::uint8_t code) {
    if (code >= 0x80 && code <= 0x9F)
        return cp1252_high[code - 0x80];
    return code;
}

std::string utf8_of(char32_t cp) {
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

// Length of the UTF-8 sequence starting at text[0], or 1 for a malformed one.
std::size_t sequence_length(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3
                                      : (lead >> 3) == 0x1E ? 4 : 1;
    if (length > text.size())
        return 1;
    for (std::size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            return 1;
    return length;
}

char32_t decode(std::string_view sequence) {
    const auto lead = static_cast<unsigned char>(sequence[0]);
    if (sequence.size() == 1)
        return lead < 0x80 ? lead : 0xFFFD;
    char32_t cp = lead & (0x7F >> sequence.size());
    for (std::size_t i = 1; i < sequence.size(); ++i)
        cp = (cp << 6) | (static_cast<unsigned char>(sequence[i]) & 0x3F);
    return cp;
}

} // namespace

std::string character_of_code(std::uint8_t code) {
    if (code == 0)
        return {};
    return utf8_of(code_point_of(code));
}

std::uint8_t code_of_character(std::string_view text) {
    if (text.empty())
        return 0;
    const char32_t cp = decode(text.substr(0, sequence_length(text)));
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<std::uint8_t>(cp);
    for (std::size_t i = 0; i < cp1252_high.size(); ++i)
        if (cp1252_high[i] == cp)
            return static_cast<std::uint8_t>(0x80 + i);
    return '?';
}

std::vector<std::string_view> split_characters(std::string_view text) {
    std::vector<std::string_view> out;
    while (!text.empty()) {
        const auto length = sequence_length(text);
        out.push_back(text.substr(0, length));
        text.remove_prefix(length);
    }
    return out;
}

} // namespace pds
