#include "message/charset.h"

namespace pds {

namespace {

constexpr char32_t stand_in_base = 0xF700;
constexpr std::uint8_t first_private_stand_in = 0xA0;

// Length of the UTF-8 sequence starting at text[0], or 1 for a malformed one.
std::size_t sequence_length(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = lead < 0x80           ? 1
                         : (lead >> 5) == 0x6  ? 2
                         : (lead >> 4) == 0xE  ? 3
                         : (lead >> 3) == 0x1E ? 4
                                               : 1;
    if (length > text.size())
        return 1;
    for (std::size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            return 1;
    return length;
}

char32_t stand_in_of(std::uint8_t code) {
    return code < first_private_stand_in ? code : stand_in_base + code;
}

} // namespace

std::string utf8_of(char32_t cp) {
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

char32_t code_point_of(std::string_view sequence) {
    if (sequence.empty())
        return 0;
    sequence = sequence.substr(0, sequence_length(sequence));
    const auto lead = static_cast<unsigned char>(sequence[0]);
    if (sequence.size() == 1)
        return lead < 0x80 ? lead : 0xFFFD;
    char32_t cp = lead & (0x7F >> sequence.size());
    for (std::size_t i = 1; i < sequence.size(); ++i)
        cp = (cp << 6) | (static_cast<unsigned char>(sequence[i]) & 0x3F);
    return cp;
}

std::string cell_text_of_code(const CodePageCharacters& page, std::uint8_t code) {
    if (code == 0)
        return {};
    return utf8_of(page[code] ? page[code] : stand_in_of(code));
}

std::optional<std::uint8_t> code_of_stand_in(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    const char32_t cp = code_point_of(text);
    if ((cp >= 0x01 && cp < 0x20) || (cp >= 0x7F && cp < first_private_stand_in))
        return static_cast<std::uint8_t>(cp);
    if (cp >= stand_in_base + first_private_stand_in && cp <= stand_in_base + 0xFF)
        return static_cast<std::uint8_t>(cp - stand_in_base);
    return std::nullopt;
}

std::optional<std::uint8_t> code_of_cell_text(const CodePageCharacters& page,
                                              std::string_view text) {
    if (text.empty())
        return 0;
    const char32_t cp = code_point_of(text);
    for (int code = 1; code < 256 && cp != 0; ++code)
        if (page[code] == cp)
            return static_cast<std::uint8_t>(code);
    if (const auto code = code_of_stand_in(text); code && !page[*code])
        return code;
    return std::nullopt;
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
