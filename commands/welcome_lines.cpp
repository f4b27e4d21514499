#include "commands/welcome_lines.h"

#include "commands/capture.h"
#include "commands/udc_page.h"
#include "glyphs/code_page_glyphs.h"
#include "glyphs/missing_signs.h"
#include "message/hex_cells.h"
#include "settings/option_lists.h"
#include "udc/slot_codec.h"

#include <algorithm>

namespace pds {

namespace {

// "US English (CP-437)  (Default)" -> "US English (CP-437)"
std::string code_page_name(const EditorModel& model) {
    const std::string entry = model.code_page.text();
    const auto close = entry.find(')');
    return close == std::string::npos ? entry : entry.substr(0, close + 1);
}

std::string missing_note(const Editor& editor) {
    const auto& missing = editor.missing;
    if (missing.empty())
        return {};
    std::vector<std::string> named;
    for (const auto& cell : missing)
        if (std::find(named.begin(), named.end(), cell.character) == named.end())
            named.push_back(cell.character);
    std::string text;
    for (std::size_t i = 0; i < named.size(); ++i)
        text += (i ? ", \"" : "\"") + named[i] + "\"";
    const bool one = missing.size() == 1;
    return text + (named.size() == 1 ? " is" : " are") + " not in " + code_page_name(editor.model) +
           (one ? ": the cell keeps" : ": the cells keep") + " what " + (one ? "it" : "they") +
           " had. \"" + add_missing_caption + "\" draws " + (named.size() == 1 ? "it." : "them.");
}

void forget_cell(Editor& editor, int line, int cell) {
    auto& missing = editor.missing;
    missing.erase(std::remove_if(missing.begin(), missing.end(),
                                 [&](const MissingCharacter& m) {
                                     return m.line == line && (cell == 0 || m.cell == cell);
                                 }),
                  missing.end());
}

// Puts into their cells the kept characters the chosen page has.
void place_kept_characters(Editor& editor) {
    const auto& page = chosen_characters(editor.model);
    auto& missing = editor.missing;
    for (auto it = missing.begin(); it != missing.end();) {
        auto& line = line_numbered(editor.model, it->line);
        const auto code = code_of_cell_text(page, it->character);
        if (code && line.characters_shown()) {
            line.chars[it->cell] = cell_text_of_code(page, *code);
            it = missing.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace

const CodePageCharacters& chosen_characters(const EditorModel& model) {
    return characters_of_code_page(static_cast<std::uint8_t>(model.code_page.index));
}

MessageLine& line_numbered(EditorModel& model, int line) {
    return line == 1 ? model.line1 : model.line2;
}

void choose_code_page(Editor& editor, int index) {
    auto& model = editor.model;
    const bool shown[] = {model.line1.characters_shown(), model.line2.characters_shown()};
    select_line_view(editor, 1, MessageView::Hex);
    select_line_view(editor, 2, MessageView::Hex);
    model.code_page.select(index);
    for (int line = 1; line <= 2; ++line)
        if (shown[line - 1])
            select_line_view(editor, line, MessageView::Characters);
    place_kept_characters(editor);
    model.character_note = missing_note(editor);
}

void type_character(Editor& editor, int line_number, int cell, const std::string& text) {
    auto& line = line_numbered(editor.model, line_number);
    if (cell < 1 || cell > line.cells)
        return;
    forget_cell(editor, line_number, cell);
    const auto characters = split_characters(text);
    // A cell holds one character; of a text pasted whole, the first counts.
    const std::string character = characters.empty() ? std::string() : std::string(characters[0]);
    const auto& page = chosen_characters(editor.model);
    if (const auto code = code_of_cell_text(page, character))
        line.chars[cell] = cell_text_of_code(page, *code);
    else
        editor.missing.push_back({line_number, cell, character});
    editor.model.character_note = missing_note(editor);
}

void select_line_view(Editor& editor, int line, MessageView view) {
    select_view(line_numbered(editor.model, line), view, chosen_characters(editor.model));
}

void clear_line(Editor& editor, int line) {
    clear_message_line(line_numbered(editor.model, line));
    forget_cell(editor, line, 0);
    editor.model.character_note = missing_note(editor);
}

void forget_missing_characters(Editor& editor) {
    editor.missing.clear();
    editor.model.character_note.clear();
}

void show_image_lines(Editor& editor) {
    auto& model = editor.model;
    forget_missing_characters(editor);
    unpack_message_line(model.line1,
                        editor.image.bytes_from(position::welcome_line1, model.line1.cells),
                        chosen_characters(model));
    unpack_message_line(model.line2,
                        editor.image.bytes_from(position::welcome_line2, model.line2.cells),
                        chosen_characters(model));
}

void add_missing_characters(Editor& editor) {
    if (editor.missing.empty()) {
        editor.model.character_note = "Every character of the welcome lines is in " +
                                      code_page_name(editor.model) + ": nothing to add.";
        return;
    }
    // The lines and slots as a write would send them, the drawing on the character page
    // included when its code is valid, so that neither its slot nor its code is taken.
    Editor copy = editor;
    capture_settings(copy);
    auto image = copy.image.payload();
    if (const auto code = parse_udc_code_text(editor.model.character_code).code;
        code && at_position(image, editor.udc_start) == 0)
        at_position(image, editor.udc_start) = *code;

    const auto outcome = add_missing_signs(image, editor.missing);
    if (!outcome.refusal.empty()) {
        editor.model.character_note = outcome.refusal;
        editor.services.boxes.show(outcome.refusal);
        return;
    }
    const auto& page = chosen_characters(editor.model);
    for (const auto& cell : editor.missing) {
        const int first = cell.line == 1 ? position::welcome_line1 : position::welcome_line2;
        auto& line = line_numbered(editor.model, cell.line);
        const auto code = at_position(image, first + cell.cell - 1);
        if (line.characters_shown())
            line.chars[cell.cell] = cell_text_of_code(page, code);
        else
            line.hex[cell.cell] = hex_cell_text(code);
    }
    for (const auto& sign : outcome.placed) {
        const int start = udc_slot_start(sign.number);
        std::copy_n(bytes_at(image, start, udc_slot_size).begin(), udc_slot_size,
                    editor.image.bytes.begin() + start);
    }
    // The character page shows what its slot now holds, unless the operator's drawing is there.
    if (editor.model.character_code.empty())
        map_reset(editor);

    std::string said;
    for (const auto& sign : outcome.placed)
        said += (said.empty() ? "" : "; ") + placed_sign_text(sign);
    editor.missing.clear();
    editor.model.character_note = said;
}

} // namespace pds
