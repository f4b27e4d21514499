#include "glyphs/dot_preview.h"

#include "glyphs/code_page_glyphs.h"
#include "udc/slot_codec.h"

#include <optional>

namespace pds {

namespace {

DotGrid hatched() {
    DotGrid dots;
    for (int column = 1; column <= udc_columns; ++column)
        for (int row = 0; row < udc_rows; ++row)
            dots.set(column, row, (column + row) % 2 == 1);
    return dots;
}

// The first of the nine characters whose code is `code`; the display looks them up in order.
std::optional<DotGrid> user_defined_dots(const ImageBytes& image, std::uint8_t code) {
    for (int number = 1; number <= udc_count; ++number) {
        const int start = udc_slot_start(number);
        if (at_position(image, start) != code)
            continue;
        return dots_of_columns(bytes_at(image, start + 1, udc_columns).first<udc_columns>());
    }
    return std::nullopt;
}

PreviewCell cell_of(const ImageBytes& image, const GlyphTable* table, std::uint8_t code) {
    if (code == 0)
        return {};
    if (auto dots = user_defined_dots(image, code))
        return {code, CellLook::UserDefined, *dots};
    if (table) {
        if (auto dots = glyph_dots(*table, code))
            return {code, CellLook::Glyph, *dots};
    }
    return {code, CellLook::Missing, hatched()};
}

} // namespace

DotPreview render_preview(const ImageBytes& image) {
    const GlyphTable* table = glyph_table_of_code_page(at_position(image, position::code_page));
    DotPreview preview;
    struct Line {
        int number;
        int first_position;
        int first_row;
    };
    const Line lines[] = {{1, position::welcome_line1, 0}, {2, position::welcome_line2, 1}};
    for (const auto& line : lines) {
        const int cells = line.number == 1 ? preview_row_cells : 2 * preview_row_cells;
        for (int cell = 1; cell <= cells; ++cell) {
            const auto code = at_position(image, line.first_position + cell - 1);
            auto& shown = preview.rows.at(line.first_row + (cell - 1) / preview_row_cells)
                              .at((cell - 1) % preview_row_cells);
            shown = cell_of(image, table, code);
            if (shown.look == CellLook::Missing)
                preview.missing.push_back({line.number, cell, code});
        }
    }
    return preview;
}

std::array<std::string, udc_rows> dot_texts(const std::array<PreviewCell, preview_row_cells>& row) {
    std::array<std::string, udc_rows> texts;
    for (int r = 0; r < udc_rows; ++r) {
        for (const auto& cell : row) {
            if (!texts[r].empty())
                texts[r] += ' ';
            for (int column = 1; column <= udc_columns; ++column)
                texts[r] += cell.dots.lit(column, r) ? '#' : '.';
        }
    }
    return texts;
}

} // namespace pds
