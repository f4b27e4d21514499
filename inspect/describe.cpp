#include "inspect/describe.h"

#include "glyphs/code_page_glyphs.h"
#include "message/hex_cells.h"

#include <algorithm>

namespace pds {

namespace {

bool printable(std::uint8_t byte) {
    return byte >= 0x20 && byte <= 0x7E && byte != '\\';
}

constexpr std::uint8_t dot_bits = 0x7F;

std::string list_value(const ImageField& field, std::uint8_t code) {
    const auto entry = entry_text(*field.list, code);
    if (!entry)
        return std::to_string(code) + " (names no entry)";
    return std::to_string(code) + " \"" + std::string(*entry) + "\"";
}

std::string line_value(std::span<const std::uint8_t> cells, const CodePageCharacters& page) {
    const auto last = std::find_if(cells.rbegin(), cells.rend(), [](auto b) { return b != 0; });
    const auto empty = static_cast<std::size_t>(last - cells.rbegin());
    if (empty == cells.size())
        return "all " + std::to_string(cells.size()) + " cells empty";
    std::string text = "\"" + line_text(cells, page) + "\"";
    if (empty > 0)
        text += " and " + std::to_string(empty) + (empty == 1 ? " empty cell" : " empty cells");
    return text;
}

bool all_zero(std::span<const std::uint8_t> bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](auto b) { return b == 0; });
}

std::string code_value(std::uint8_t code) {
    if (code == 0)
        return "no code";
    std::string text = "code 0x" + hex_cell_text(code);
    if (code >= 0x20 && code <= 0x7E)
        text += " \"" + std::string(1, static_cast<char>(code)) + "\"";
    return text;
}

// Column bytes whose bit 7 is set: carried through unchanged, but invisible in the dots.
std::vector<std::string> stray_bits(std::span<const std::uint8_t> columns) {
    std::vector<std::string> notes;
    for (std::size_t c = 0; c < columns.size(); ++c)
        if (columns[c] & ~dot_bits)
            notes.push_back("column " + std::to_string(c + 1) + " is 0x" +
                            hex_cell_text(columns[c]) + " (bit 7 set)");
    return notes;
}

std::string character_value(std::span<const std::uint8_t> slot) {
    if (all_zero(slot))
        return "empty";
    const auto columns = slot.subspan(1);
    std::string text = code_value(slot[0]);
    if (std::none_of(columns.begin(), columns.end(), [](auto b) { return b & dot_bits; })) {
        text += ", no dots";
    } else {
        text += ", dots ";
        const auto rows = column_rows(columns);
        for (std::size_t r = 0; r < rows.size(); ++r)
            text += (r ? "/" : "") + rows[r];
    }
    for (const auto& note : stray_bits(columns))
        text += ", " + note;
    return text;
}

std::string reserved_value(std::span<const std::uint8_t> bytes) {
    if (bytes.size() == 1)
        return "0x" + hex_cell_text(bytes[0]);
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        text += (i ? " " : "") + hex_cell_text(bytes[i]);
    return text;
}

std::string line_of(const ImageField& field, const std::string& value) {
    return std::string(field.name) + ": " + value;
}

} // namespace

std::string escaped_text(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (auto b : bytes) {
        if (printable(b))
            text += static_cast<char>(b);
        else
            text += "\\x" + hex_cell_text(b);
    }
    return text;
}

std::string escaped_text(std::string_view text) {
    return escaped_text(std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::string escaped_controls(std::string_view text) {
    std::string shown;
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    for (std::size_t i = 0; i < text.size();) {
        const std::uint8_t lead = byte(i);
        // The length of the UTF-8 sequence that starts here, and the lowest and highest second
        // byte that keeps it the shortest form of a character up to U+10FFFF, not a surrogate.
        std::size_t length = 1;
        std::uint8_t low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        }
        bool whole =
            length > 1 && i + length <= text.size() && byte(i + 1) >= low && byte(i + 1) <= high;
        for (std::size_t k = 2; whole && k < length; ++k)
            whole = byte(i + k) >= 0x80 && byte(i + k) <= 0xBF;
        const bool c1_control = lead == 0xC2 && whole && byte(i + 1) <= 0x9F;
        if (whole && !c1_control) {
            shown.append(text.substr(i, length));
            i += length;
        } else if (lead >= 0x20 && lead <= 0x7E) {
            shown += static_cast<char>(lead);
            ++i;
        } else {
            // A control character, or a byte that starts no character: each byte escaped.
            for (std::size_t k = 0; k < (c1_control ? 2 : 1); ++k)
                shown += "\\x" + hex_cell_text(byte(i + k));
            i += c1_control ? 2 : 1;
        }
    }
    return shown;
}

std::optional<std::vector<std::uint8_t>> unescaped_text(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<std::uint8_t>(text[i]);
        if (c == '\\') {
            if (text.size() - i < 4 || text[i + 1] != 'x')
                return std::nullopt;
            const auto high = hex_digit_value(text[i + 2]);
            const auto low = hex_digit_value(text[i + 3]);
            if (!high || !low)
                return std::nullopt;
            bytes.push_back(static_cast<std::uint8_t>(*high * 16 + *low));
            i += 3;
        } else if (c >= 0x20 && c <= 0x7E) {
            bytes.push_back(c);
        } else {
            return std::nullopt;
        }
    }
    return bytes;
}

std::string line_text(std::span<const std::uint8_t> cells) {
    const auto last = std::find_if(cells.rbegin(), cells.rend(), [](auto b) { return b != 0; });
    return escaped_text(cells.first(static_cast<std::size_t>(cells.rend() - last)));
}

std::string line_text(std::span<const std::uint8_t> cells, const CodePageCharacters& page) {
    const auto last = std::find_if(cells.rbegin(), cells.rend(), [](auto b) { return b != 0; });
    std::string text;
    for (const auto code : cells.first(static_cast<std::size_t>(cells.rend() - last))) {
        if (page[code] && code != '\\')
            text += utf8_of(page[code]);
        else
            text += "\\x" + hex_cell_text(code);
    }
    return text;
}

std::optional<LineCodes> line_codes_of_text(std::string_view text, const CodePageCharacters& page) {
    LineCodes line;
    const auto characters = split_characters(text);
    for (std::size_t i = 0; i < characters.size(); ++i) {
        const auto character = characters[i];
        if (character == "\\") {
            if (i + 3 >= characters.size() || characters[i + 1] != "x" ||
                characters[i + 2].size() != 1 || characters[i + 3].size() != 1)
                return std::nullopt;
            const auto high = hex_digit_value(characters[i + 2][0]);
            const auto low = hex_digit_value(characters[i + 3][0]);
            if (!high || !low)
                return std::nullopt;
            line.codes.push_back(static_cast<std::uint8_t>(*high * 16 + *low));
            i += 3;
            continue;
        }
        // Stand-ins are the cells' own: in a text only \xNN names a code without a character.
        const char32_t code_point = code_point_of(character);
        if (code_of_stand_in(character) || code_point == 0 ||
            (code_point == 0xFFFD && character.size() == 1))
            return std::nullopt;
        const auto code = code_of_cell_text(page, character);
        line.codes.push_back(code.value_or(0));
        if (!code)
            line.missing.emplace_back(static_cast<int>(line.codes.size()), std::string(character));
    }
    return line;
}

std::array<std::string, udc_rows> column_rows(std::span<const std::uint8_t> columns) {
    return dot_rows(dots_of_columns(columns.first<udc_columns>()));
}

std::string field_value(const ImageField& field, const ImageBytes& image) {
    const auto bytes = field_bytes(image, field);
    switch (field.kind) {
    case FieldKind::List:
        return list_value(field, bytes[0]);
    case FieldKind::Line:
        return line_value(bytes, characters_of_code_page(at_position(image, position::code_page)));
    case FieldKind::Character:
        return character_value(bytes);
    case FieldKind::Reserved:
        return reserved_value(bytes);
    }
    return {};
}

std::vector<std::string> describe_image(const ImageBytes& image) {
    std::vector<std::string> lines;
    for (const auto& field : image_fields) {
        const auto bytes = field_bytes(image, field);
        switch (field.kind) {
        case FieldKind::List:
        case FieldKind::Line:
            lines.push_back(line_of(field, field_value(field, image)));
            break;
        case FieldKind::Character:
            if (all_zero(bytes)) {
                lines.push_back(line_of(field, "empty"));
                break;
            }
            lines.push_back(line_of(field, code_value(bytes[0])));
            for (const auto& row : column_rows(bytes.subspan(1)))
                lines.push_back("  " + row);
            for (const auto& note : stray_bits(bytes.subspan(1)))
                lines.push_back("  " + note);
            break;
        case FieldKind::Reserved:
            if (!all_zero(bytes))
                lines.push_back(line_of(field, field_value(field, image)));
            break;
        }
    }
    return lines;
}

std::vector<std::string> describe_differences(const ImageBytes& a, const ImageBytes& b) {
    std::vector<std::string> lines;
    for (const auto& field : image_fields) {
        const auto in_a = field_bytes(a, field);
        const auto in_b = field_bytes(b, field);
        if (!std::equal(in_a.begin(), in_a.end(), in_b.begin()))
            lines.push_back(line_of(field, field_value(field, a) + " -> " + field_value(field, b)));
    }
    return lines;
}

} // namespace pds
