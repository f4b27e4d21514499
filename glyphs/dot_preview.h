// The welcome lines of an image as the display draws them in 5 x 7 dots: in the image's code
// page, with its user-defined characters.
#pragma once

#include "settings/settings_image.h"
#include "udc/dot_grid.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace pds {

inline constexpr int preview_row_cells = 20;
inline constexpr int preview_rows = 3; // line 1, then line 2 in the display's two rows of 20

enum class CellLook { Empty, Glyph, UserDefined, Missing };

struct PreviewCell {
    std::uint8_t code = 0;
    CellLook look = CellLook::Empty;
    DotGrid dots; // hatched when the code has no glyph
};

// A code drawn hatched: the line (1 or 2) and cell (1..20, 1..40) it stands in.
struct MissingGlyph {
    int line;
    int cell;
    std::uint8_t code;
    bool operator==(const MissingGlyph&) const = default;
};

struct DotPreview {
    std::array<std::array<PreviewCell, preview_row_cells>, preview_rows> rows;
    std::vector<MissingGlyph> missing; // in line and cell order
};

DotPreview render_preview(const ImageBytes& image);

// One row of cells as seven texts of '#' lit and '.' unlit, a blank column between cells.
std::array<std::string, udc_rows> dot_texts(const std::array<PreviewCell, preview_row_cells>& row);

} // namespace pds
