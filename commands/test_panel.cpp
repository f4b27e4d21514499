#include "commands/test_panel.h"

#include "commands/welcome_lines.h"
#include "message/charset.h"
#include "message/message_line.h"

#include <algorithm>

namespace pds {

namespace {

std::string& test_line(EditorModel& model, int line) {
    return line == 1 ? model.test.line1 : model.test.line2;
}

std::string first_characters(const std::string& text, int count) {
    std::string out;
    int taken = 0;
    for (auto character : split_characters(text)) {
        if (taken++ == count)
            break;
        out += character;
    }
    return out;
}

} // namespace

std::string test_line_from_welcome(const EditorModel& model, int line) {
    const auto& page = chosen_characters(model);
    // Seen through the character view whichever view the line shows.
    MessageLine shown = line == 1 ? model.line1 : model.line2;
    select_view(shown, MessageView::Characters, page);
    std::string text;
    for (int k = 1; k <= std::min(shown.cells, test_line_width); ++k) {
        const std::string& cell = shown.chars[static_cast<std::size_t>(k)];
        text += cell.empty() || code_of_stand_in(cell) ? std::string(" ") : cell;
    }
    return text.substr(0, text.find_last_not_of(' ') + 1);
}

void show_tab(Editor& editor, int index) {
    auto& model = editor.model;
    model.shown_tab = index;
    if (index == test_tab && !model.test.lines_typed) {
        model.test.line1 = test_line_from_welcome(model, 1);
        model.test.line2 = test_line_from_welcome(model, 2);
    }
}

void type_test_line(Editor& editor, int line, const std::string& text) {
    auto& model = editor.model;
    test_line(model, line) = first_characters(text, test_line_width);
    model.test.lines_typed = true;
}

void choose_test_set(Editor& editor, int index) {
    auto& test = editor.model.test;
    if (index >= 0 && index < test.command_set.size())
        test.command_set.select(index);
}

void choose_test_level(Editor& editor, int index) {
    auto& test = editor.model.test;
    if (index >= 0 && index < test.level.size())
        test.level.select(index);
}

} // namespace pds
