#include "udc/slot_codec.h"

namespace pds {

std::string udc_code_text(std::uint8_t code) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    if (code >= 0x10)
        text += digits[code >> 4];
    if (code != 0)
        text += digits[code & 0x0F];
    return text;
}

void map_save(Editor& editor) {
    const int start = editor.udc_start;
    editor.image[start] = editor.udc_code;
    for (int column = 1; column <= udc_columns; ++column) {
        std::uint8_t byte = 0;
        for (int row = 0; row < udc_rows; ++row)
            if (editor.model.map.lit(column, row))
                byte |= static_cast<std::uint8_t>(1u << row);
        editor.image[start + column] = byte;
    }
}

void map_reset(Editor& editor) {
    const int start = editor.udc_start;
    editor.model.map = DotGrid{};
    editor.model.UDC_TEXT = udc_code_text(editor.image[start]);
    for (int column = 1; column <= udc_columns; ++column)
        for (int row = 0; row < udc_rows; ++row)
            editor.model.map.set(column, row, (editor.image[start + column] >> row) & 1u);
}

} // namespace pds
