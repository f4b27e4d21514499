// Any cell texts through both views of a welcome line, and any bytes through unpack and pack.
// Input: the first byte picks line 1 or 2, the rest is cell texts separated by newlines.
#include "fuzz_check.h"
#include "glyphs/glyph_table.h"
#include "message/message_line.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace pds;

bool is_hex_cell(const std::string& text) {
    const auto upper_hex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); };
    return text.empty() || (text.size() == 2 && upper_hex(text[0]) && upper_hex(text[1]));
}

std::vector<std::string> cell_texts(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> texts(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n')
            texts.emplace_back();
        else
            texts.back() += static_cast<char>(data[i]);
    }
    return texts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    MessageLine line(data[0] % 2 ? 40 : 20);
    const auto tables = glyph_tables();
    const CodePageCharacters& page = tables[(data[0] / 2) % tables.size()].characters;
    const auto texts = cell_texts(data + 1, size - 1);

    // Typed into the character cells, then shown as hex: every hex cell is two digits or empty.
    for (int k = 1; k <= line.cells && k <= static_cast<int>(texts.size()); ++k)
        line.chars[k] = texts[k - 1];
    select_view(line, MessageView::Hex, page);
    for (int k = 1; k <= line.cells; ++k) {
        fuzz::check(is_hex_cell(line.hex[k]), "a converted cell holds two upper-case digits");
        fuzz::check(line.chars[k].empty(), "the hidden view is empty");
    }

    // Typed into the hex cells: packing never fails and gives one byte a cell.
    for (int k = 1; k <= line.cells && k <= static_cast<int>(texts.size()); ++k)
        line.hex[k] = texts[k - 1];
    auto bytes = pack_message_line(line);
    fuzz::check(static_cast<int>(bytes.size()) == line.cells, "one byte a cell");

    // Shown and captured again, the bytes come back with their zeros moved to the end.
    unpack_message_line(line, bytes, page);
    fuzz::check(line.view == MessageView::Characters, "unpacking ends in the character view");
    select_view(line, MessageView::Hex, page);
    const auto end = std::remove(bytes.begin(), bytes.end(), std::uint8_t{0});
    std::fill(end, bytes.end(), std::uint8_t{0});
    fuzz::check(pack_message_line(line) == bytes, "unpack then pack keeps every non-zero code");
    return 0;
}
