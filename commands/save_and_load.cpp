#include "commands/save_and_load.h"

#include "commands/capture.h"
#include "commands/udc_page.h"
#include "commands/welcome_lines.h"
#include "file/file_check.h"
#include "message/message_line.h"

#include <cstdint>
#include <variant>
#include <vector>

namespace pds {

namespace {

void show_both_lines_as_characters(EditorModel& model) {
    select_view(model.line1, MessageView::Characters, chosen_characters(model));
    select_view(model.line2, MessageView::Characters, chosen_characters(model));
}

// Puts a file's contents into the image and shows them: lists, both lines, character 1. False,
// with nothing changed, when they hold fewer than 126 bytes or name an entry that one of the
// four lists does not have.
bool show_settings(Editor& editor, const std::vector<std::uint8_t>& file) {
    // Everything is checked before anything changes, so a bad file cannot leave half of
    // itself in the editor for the next save or write to pass on.
    const auto checked = check_settings_file(file);
    const auto* image = std::get_if<ImageBytes>(&checked);
    if (!image)
        return false;

    auto& model = editor.model;
    select_view(model.line1, MessageView::Hex, chosen_characters(model));
    select_view(model.line2, MessageView::Hex, chosen_characters(model));
    editor.image.set_payload(*image);
    for (const auto& field : image_list_fields)
        list_of(model, field).select(editor.image[field.position]);
    show_image_lines(editor);

    editor.udc_number = 1;
    editor.udc_start = first_udc_start;
    model.character_caption = udc_first_label;
    map_reset(editor);
    return true;
}

} // namespace

std::string save_failure_message(const std::string& path, const std::string& reason) {
    return "The settings could not be saved to\n" + path + "\n\n" + reason +
           "\n\nAn existing file of that name has not been changed.";
}

std::string load_failure_message(const std::string& path, const std::string& reason) {
    return "The settings could not be loaded from\n" + path + "\n\n" + reason +
           "\n\nThe settings in the window have not been changed.";
}

void save_to_file(Editor& editor) {
    const ChosenFile chosen = editor.services.dialog.choose_save(save_filter);
    editor.file_name = chosen.full_path;
    if (chosen.bare_name == refused_save_name) {
        editor.services.boxes.show(refused_save_message);
        return;
    }
    if (editor.file_name.empty())
        return;

    capture_settings(editor);
    const ImageBytes bytes = editor.image.payload();
    const auto written = editor.services.files.replace(editor.file_name, bytes);
    show_both_lines_as_characters(editor.model);
    if (const auto* failure = std::get_if<FileError>(&written))
        editor.services.boxes.show(save_failure_message(editor.file_name, failure->reason));
}

void load_from_file(Editor& editor) {
    const ChosenFile chosen = editor.services.dialog.choose_open(open_filter);
    editor.file_name = chosen.full_path;
    if (editor.file_name.empty())
        return;
    if (editor.services.boxes.confirm(load_question, load_title)) {
        const auto read = editor.services.files.read(editor.file_name, image_size);
        if (const auto* failure = std::get_if<FileError>(&read))
            editor.services.boxes.show(load_failure_message(editor.file_name, failure->reason));
        else if (!show_settings(editor, std::get<std::vector<std::uint8_t>>(read)))
            editor.services.boxes.show(load_error);
    }
    show_both_lines_as_characters(editor.model);
}

bool read_settings_file(Editor& editor) {
    const auto read = editor.services.files.read(editor.file_name, image_size);
    const auto* file = std::get_if<std::vector<std::uint8_t>>(&read);
    return file && show_settings(editor, *file);
}

} // namespace pds
