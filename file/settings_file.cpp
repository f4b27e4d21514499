#include "file/settings_file.h"

#include "file/file_check.h"
#include "message/message_editor.h"
#include "settings/capture.h"
#include "settings/option_lists.h"
#include "udc/slot_codec.h"
#include "udc/udc_editor.h"

#include <array>
#include <span>
#include <variant>

namespace pds {

namespace {

void show_both_lines_as_characters(EditorModel& model) {
    select_view(model.L1, MessageView::Ascii);
    select_view(model.L2, MessageView::Ascii);
}

struct ListField {
    ListBox EditorModel::*list;
    int position;
};

// In the order the lists are set from a file.
constexpr std::array<ListField, 4> list_fields{{
    {&EditorModel::BaudRate, position::display_baud},
    {&EditorModel::Char, position::code_page},
    {&EditorModel::Command, position::command_set},
    {&EditorModel::Passthru, position::passthru_mode},
}};

} // namespace

std::string save_failure_message(const std::string& path, const std::string& reason) {
    return "The settings could not be saved to\n" + path + "\n\n" + reason +
           "\n\nAn existing file of that name has not been changed.";
}

void Save_Click(Editor& editor) {
    const ChosenFile chosen = editor.platform.dialog.choose_save(save_filter);
    editor.file_name = chosen.full_path;
    if (chosen.bare_name == refused_save_name) {
        editor.platform.boxes.show(refused_save_message);
        return;
    }
    if (editor.file_name.empty())
        return;

    capture_settings(editor);
    const ImageBytes bytes = editor.image.payload();
    const auto written = editor.platform.files.replace(editor.file_name, bytes);
    show_both_lines_as_characters(editor.model);
    if (const auto* failure = std::get_if<FileError>(&written))
        editor.platform.boxes.show(save_failure_message(editor.file_name, failure->reason));
}

void Load_Click(Editor& editor) {
    const ChosenFile chosen = editor.platform.dialog.choose_open(open_filter);
    editor.file_name = chosen.full_path;
    if (editor.file_name.empty())
        return;
    if (editor.platform.boxes.confirm(load_question, load_title) && !read_settings_file(editor))
        editor.platform.boxes.show(load_error);
    show_both_lines_as_characters(editor.model);
}

bool read_settings_file(Editor& editor) {
    // Everything is checked before anything changes, so a bad file cannot leave half of
    // itself in the editor for the next save or write to pass on.
    const auto read = editor.platform.files.read(editor.file_name, image_size);
    const auto* file = std::get_if<std::vector<std::uint8_t>>(&read);
    if (!file)
        return false;
    const auto checked = check_settings_file(*file);
    const auto* image = std::get_if<ImageBytes>(&checked);
    if (!image)
        return false;

    auto& model = editor.model;
    select_view(model.L1, MessageView::Hex);
    select_view(model.L2, MessageView::Hex);
    editor.image.set_payload(*image);
    for (const auto& field : list_fields)
        (model.*field.list).select(editor.image[field.position]);

    const auto& bytes = editor.image.bytes;
    unpack_message_line(model.L1,
                        std::span(bytes).subspan(position::welcome_line1, model.L1.cells));
    unpack_message_line(model.L2,
                        std::span(bytes).subspan(position::welcome_line2, model.L2.cells));

    editor.udc_number = 1;
    editor.udc_start = first_udc_start;
    model.UDC_label = udc_first_label;
    map_reset(editor);
    return true;
}

} // namespace pds
