#include "editor/window_handlers.h"

#include "message/message_editor.h"
#include "settings/defaults.h"
#include "settings/option_lists.h"

#include <filesystem>

namespace pds {

void Form_Load(Editor& editor) {
    auto& model = editor.model;
    fill_option_lists(model);
    SetAllDefault_Click(editor);
    // Both lines already show characters after the defaults, so these convert nothing; they
    // stay so that start-up ends in the character view whatever the defaults do.
    select_view(model.L1, MessageView::Ascii);
    select_view(model.L2, MessageView::Ascii);
    editor.udc_start = first_udc_start;
    editor.udc_number = 1;
    model.SSTab1 = 0;
}

void Form_Unload(Editor& editor) {
    if (editor.platform.port.is_open())
        editor.platform.port.close();
}

std::string help_document_path(const std::string& startup_folder) {
    return (std::filesystem::path(startup_folder) / help_document_name).string();
}

void Help_Click(Editor& editor, const std::string& startup_folder) {
    editor.platform.shell.open_document(help_document_path(startup_folder));
}

} // namespace pds
