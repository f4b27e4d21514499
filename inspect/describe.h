// A configuration in words, for a person or a script: each field by name, and the fields in
// which two configurations differ.
#pragma once

#include "inspect/image_fields.h"
#include "message/charset.h"
#include "settings/settings_image.h"
#include "udc/slot_codec.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pds {

// 0x20..0x7E as themselves, except the backslash; every other byte as \xNN (upper-case
// digits). So the text is plain ASCII and gives back exactly its bytes.
std::string escaped_text(std::span<const std::uint8_t> bytes);
// The same for text from outside, such as a file name, so that it cannot steer the terminal
// or start a line of its own where it is echoed.
std::string escaped_text(std::string_view text);
// Text from outside that is meant to be read as it is, such as a Windows file name, whose
// backslashes separate folders: UTF-8 characters as themselves, control characters (C0, DEL
// and C1) and bytes that are not UTF-8 as \xNN, so that it still cannot steer the terminal.
std::string escaped_controls(std::string_view text);
// The bytes of such a text; also takes lower-case digits. Nothing when the text holds a
// backslash that does not start \xNN, or a character outside 0x20..0x7E.
std::optional<std::vector<std::uint8_t>> unescaped_text(std::string_view text);

// A welcome line up to its last non-empty cell, escaped. The display shows a 0 cell as empty;
// packing pads a line with 0, so the empty cells after the text are left off.
std::string line_text(std::span<const std::uint8_t> cells);

// The same in the characters of a code page: each code as its character there, and the
// backslash and every code without a character in the page (0 and the control codes among
// them) as \xNN. Printable ASCII reads as in line_text.
std::string line_text(std::span<const std::uint8_t> cells, const CodePageCharacters& page);

// The codes of such a text, one for each character or \xNN; a character the page lacks is 0
// there and listed in `missing` with its place (1 on). Nothing when the text holds a backslash
// that does not start \xNN, or a control character.
struct LineCodes {
    std::vector<std::uint8_t> codes;
    std::vector<std::pair<int, std::string>> missing;
};
std::optional<LineCodes> line_codes_of_text(std::string_view text, const CodePageCharacters& page);

// A character's dots from its five column bytes, top row first, '#' lit and '.' unlit.
std::array<std::string, udc_rows> column_rows(std::span<const std::uint8_t> columns);

// A field's value on one line: `1 "EPSON (Default)"`, `"HELLO" and 15 empty cells`,
// `code 0x48 "H", dots #...#/#...#/...`, `0x5A`, `00 00 00 01`.
std::string field_value(const ImageField& field, const ImageBytes& image);

// Every list, both lines, each character with its dots drawn as a grid, and the reserved
// fields that are not zero: one `name: value` line each, the grid rows indented below.
std::vector<std::string> describe_image(const ImageBytes& image);

// `name: value in a -> value in b` for each field that differs; none when the bytes are equal.
std::vector<std::string> describe_differences(const ImageBytes& a, const ImageBytes& b);

} // namespace pds
