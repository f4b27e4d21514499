// The desktop core's Save after a list of edits, for the browser tests to compare the page's
// Save with: reference_save OUT.vfd EDIT... where each edit is one of
//   select:LIST:INDEX   cell:LINE:A|H:K:TEXT   view:LINE:A|H   code:TEXT   dot:COLUMN:ROW
//   next   previous   defaults   add_missing
#include "commands/defaults.h"
#include "commands/save_and_load.h"
#include "commands/startup.h"
#include "commands/udc_page.h"
#include "commands/welcome_lines.h"
#include "message/message_line.h"
#include "support/fake_services.h"

#include <fstream>
#include <iostream>
#include <sstream>

using namespace pds;

namespace {

std::vector<std::string> fields(const std::string& edit) {
    std::vector<std::string> out;
    std::stringstream in(edit);
    for (std::string field; std::getline(in, field, ':');)
        out.push_back(field);
    if (!edit.empty() && edit.back() == ':')
        out.push_back({});
    return out;
}

ListBox& list_named(EditorModel& model, const std::string& name) {
    if (name == "Char")
        return model.code_page;
    if (name == "Command")
        return model.command_set;
    if (name == "BaudRate")
        return model.display_baud;
    if (name == "Passthru")
        return model.passthru_mode;
    throw std::invalid_argument("no list " + name);
}

void apply(Editor& editor, const std::string& edit) {
    const auto f = fields(edit);
    auto& model = editor.model;
    if (f[0] == "select" && f[1] == "Char")
        choose_code_page(editor, std::stoi(f[2]));
    else if (f[0] == "select")
        list_named(model, f[1]).select(std::stoi(f[2]));
    else if (f[0] == "cell" && f[2] == "H")
        line_numbered(model, std::stoi(f[1])).hex[std::stoi(f[3])] = f[4];
    else if (f[0] == "cell")
        type_character(editor, std::stoi(f[1]), std::stoi(f[3]), f[4]);
    else if (f[0] == "view")
        select_line_view(editor, std::stoi(f[1]),
                         f[2] == "H" ? MessageView::Hex : MessageView::Characters);
    else if (f[0] == "add_missing")
        add_missing_characters(editor);
    else if (f[0] == "code")
        model.character_code = f.size() > 1 ? f[1] : "";
    else if (f[0] == "dot")
        toggle_dot(editor, std::stoi(f[1]), std::stoi(f[2]));
    else if (f[0] == "next")
        next_character(editor);
    else if (f[0] == "previous")
        previous_character(editor);
    else if (f[0] == "defaults")
        set_all_default(editor);
    else
        throw std::invalid_argument("no edit " + edit);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: reference_save OUT.vfd EDIT...\n";
        return 2;
    }
    fakes::VirtualClock clock;
    fakes::FakeEvents events(clock);
    fakes::FixedCalendar calendar;
    fakes::RecordedBoxes boxes;
    fakes::ScriptedDialog dialog;
    fakes::MemoryFiles files;
    fakes::RecordedShell shell;
    fakes::ScriptedPort port(clock);
    Services services{port, clock, events, calendar, boxes, dialog, files, shell};
    Editor editor(services);
    start_up(editor);
    try {
        for (int i = 2; i < argc; ++i)
            apply(editor, argv[i]);
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 2;
    }
    dialog.answers.push_back({"out.vfd", "out.vfd"});
    save_to_file(editor);
    for (const auto& box : boxes.shown)
        std::cerr << box.text << "\n";
    const auto& bytes = files.files["out.vfd"];
    std::ofstream(argv[1], std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return bytes.empty() ? 1 : 0;
}
