#include "commands/test_panel.h"

#include "commands/test_display.h"
#include "commands/welcome_lines.h"
#include "display_sets/command_sets.h"
#include "editor/host_link.h"
#include "message/charset.h"
#include "message/message_line.h"

#include <algorithm>
#include <cctype>
#include <optional>

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

// The set chosen in TestCommand, or nothing for "As the display reports".
std::optional<int> chosen_set(const EditorModel& model) {
    const int entry = model.test.command_set.index;
    return entry > 0 ? std::optional<int>(entry - 1) : std::nullopt;
}

void enable_brightness(EditorModel& model) {
    const int set = test_set(model);
    model.test.brightness = set >= 0 && has_brightness(set);
}

std::string done_words(const DisplayTestRequest& request) {
    switch (request.action) {
    case DisplayAction::ShowLines:
        return "The display shows the two lines.";
    case DisplayAction::Clear:
        return "The display was cleared.";
    case DisplayAction::Brightness:
        return "Brightness set to level " + std::to_string(request.brightness_level) + ".";
    default:
        return "Done.";
    }
}

std::string outcome_words(const DisplayTestRequest& request, const DisplayTestOutcome& outcome) {
    using Result = DisplayTestOutcome::Result;
    std::string text;
    if (outcome.result == Result::Done) {
        text = done_words(request);
    } else {
        text = outcome.message;
        if (!text.empty())
            text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
        if (!text.empty() && text.back() != '.')
            text += '.';
        if (outcome.result == Result::Refused)
            text += " Nothing was sent.";
    }
    for (const auto& note : outcome.notes)
        text += "\n(" + note + ")";
    return text;
}

std::string set_used_words(const DisplayTestOutcome& outcome) {
    if (outcome.command_set < 0)
        return {};
    std::string text = outcome.set_name + (outcome.set_read ? ", as the display reports" : ", chosen");
    if (!outcome.code_page_name.empty())
        text += "; " + outcome.code_page_name;
    if (outcome.speed > 0)
        text += "; " + std::to_string(outcome.speed) + " bit/s";
    return text;
}

void run_test(Editor& editor, DisplayTestRequest request) {
    auto& model = editor.model;
    request.port = take_link_settings(model).port;
    request.command_set = chosen_set(model);
    if (request.command_set)
        request.code_page = model.code_page.index;
    const DisplayTestOutcome outcome =
        test_display(editor.services.port, editor.services.clock, request);
    if (!request.command_set)
        model.test.reported_set = outcome.set_read ? outcome.command_set : -1;
    model.test.set_used = set_used_words(outcome);
    model.test.outcome = outcome_words(request, outcome);
    enable_brightness(model);
}

} // namespace

int test_set(const EditorModel& model) {
    const auto chosen = chosen_set(model);
    return chosen ? *chosen : model.test.reported_set;
}

void send_test_lines(Editor& editor) {
    DisplayTestRequest request;
    request.action = DisplayAction::ShowLines;
    request.line_1 = editor.model.test.line1;
    request.line_2 = editor.model.test.line2;
    run_test(editor, request);
}

void clear_test_display(Editor& editor) {
    DisplayTestRequest request;
    request.action = DisplayAction::Clear;
    run_test(editor, request);
}

void set_test_brightness(Editor& editor) {
    DisplayTestRequest request;
    request.action = DisplayAction::Brightness;
    request.brightness_level = editor.model.test.level.index + 1;
    run_test(editor, request);
}

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
    enable_brightness(editor.model);
}

void choose_test_level(Editor& editor, int index) {
    auto& test = editor.model.test;
    if (index >= 0 && index < test.level.size())
        test.level.select(index);
}

} // namespace pds
