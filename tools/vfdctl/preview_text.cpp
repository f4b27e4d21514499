#include "preview_text.h"

#include "glyphs/dot_preview.h"
#include "inspect/describe.h"
#include "settings/list_fields.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace pds::cli {

namespace {

constexpr int braille_columns = 2;
constexpr int braille_rows = 4;

// The Unicode braille pattern with `dots` lit, bit n standing for dot n + 1 of the cell.
std::string braille(std::uint8_t dots) {
    return {static_cast<char>(0xE2), static_cast<char>(0xA0 | (dots >> 6)),
            static_cast<char>(0x80 | (dots & 0x3F))};
}

// Dot numbers of a braille cell by row, then column: 1 2 3 7 down the left, 4 5 6 8 down
// the right.
constexpr std::array<std::array<std::uint8_t, braille_columns>, braille_rows> braille_bits = {{
    {0x01, 0x08},
    {0x02, 0x10},
    {0x04, 0x20},
    {0x40, 0x80},
}};

std::vector<std::string> braille_lines(const std::array<std::string, udc_rows>& texts) {
    const auto lit = [&](std::size_t row, std::size_t column) {
        return row < texts.size() && column < texts[row].size() && texts[row][column] == '#';
    };
    std::vector<std::string> lines;
    for (std::size_t top = 0; top < texts.size(); top += braille_rows) {
        std::string line;
        for (std::size_t left = 0; left < texts[0].size(); left += braille_columns) {
            std::uint8_t dots = 0;
            for (std::size_t r = 0; r < braille_rows; ++r)
                for (std::size_t c = 0; c < braille_columns; ++c)
                    if (lit(top + r, left + c))
                        dots |= braille_bits[r][c];
            line += braille(dots);
        }
        lines.push_back(line);
    }
    return lines;
}

} // namespace

std::vector<std::string> preview_text(const ImageBytes& image, DotStyle style) {
    // Without a page there is no glyph to draw, and every cell would be hatched and listed.
    const auto& code_page_field =
        *std::find_if(image_list_fields.begin(), image_list_fields.end(),
                      [](const auto& field) { return field.position == position::code_page; });
    const std::uint8_t code_page = at_position(image, position::code_page);
    if (!entry_text(code_page_field, code_page))
        return {"code page " + std::to_string(code_page) + " names no entry: no preview"};

    const DotPreview preview = render_preview(image);
    std::vector<std::string> lines;
    for (const auto& row : preview.rows) {
        if (!lines.empty())
            lines.emplace_back();
        const auto texts = dot_texts(row);
        if (style == DotStyle::Ascii) {
            lines.insert(lines.end(), texts.begin(), texts.end());
            continue;
        }
        const auto packed = braille_lines(texts);
        lines.insert(lines.end(), packed.begin(), packed.end());
    }
    for (const auto& missing : preview.missing) {
        const std::uint8_t code[] = {missing.code};
        lines.push_back("line " + std::to_string(missing.line) + ", cell " +
                        std::to_string(missing.cell) + ": \"" + escaped_text(code) +
                        "\" has no glyph; drawn hatched");
    }
    return lines;
}

} // namespace pds::cli
