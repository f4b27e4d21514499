#include "commands/startup.h"

#include "commands/defaults.h"
#include "commands/welcome_lines.h"
#include "message/message_line.h"

#include <filesystem>

namespace pds {

void start_up(Editor& editor) {
    auto& model = editor.model;
    fill_option_lists(model);
    set_all_default(editor);
    // Both lines already show characters after the defaults, so these convert nothing; they
    // stay so that start-up ends in the character view whatever the defaults do.
    select_view(model.line1, MessageView::Characters, chosen_characters(model));
    select_view(model.line2, MessageView::Characters, chosen_characters(model));
    editor.udc_start = first_udc_start;
    editor.udc_number = 1;
    model.shown_tab = 0;
}

void shut_down(Editor& editor) {
    if (editor.services.port.is_open())
        editor.services.port.close();
}

std::string help_document_path(const std::string& startup_folder) {
    return (std::filesystem::path(startup_folder) / help_document_name).string();
}

void open_help(Editor& editor, const std::string& startup_folder) {
    editor.services.shell.open_document(help_document_path(startup_folder));
}

} // namespace pds
