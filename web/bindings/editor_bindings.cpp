// The page's way into the core: the editor model as a plain object for the page to draw, and
// the operator's every click and edit handed to the same commands the desktop window calls.
// Commands that may wait (for a box, a file picker or the line) are exported for an async
// ccall, since an embind call cannot be suspended.
#include "browser_services.h"

#include "commands/defaults.h"
#include "commands/find_display.h"
#include "commands/preview.h"
#include "commands/read_from_display.h"
#include "commands/save_and_load.h"
#include "commands/startup.h"
#include "commands/test_panel.h"
#include "commands/udc_page.h"
#include "commands/welcome_lines.h"
#include "commands/write_to_display.h"
#include "editor/editor.h"
#include "glyphs/dot_preview.h"
#include "message/charset.h"
#include "message/hex_cells.h"
#include "message/message_line.h"

#include <emscripten.h>
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using emscripten::val;

namespace pds::web {

namespace {

BrowserServices& services() {
    static BrowserServices instance;
    return instance;
}

Editor& editor() {
    static Editor instance(services().services);
    return instance;
}

template <typename T> val array_of(const std::vector<T>& items) {
    val out = val::array();
    for (const auto& item : items)
        out.call<void>("push", val(item));
    return out;
}

val list_value(const ListBox& list) {
    val out = val::object();
    out.set("entries", array_of(list.entries));
    out.set("index", list.index);
    out.set("text", list.text());
    return out;
}

val combo_value(const ComboBox& combo) {
    val out = list_value(combo);
    out.set("text", combo.text());
    return out;
}

// Per character cell, the hexadecimal digits a code without a character in the page shows,
// dimmed; empty for every other cell.
std::vector<std::string> dimmed_codes(const MessageLine& line) {
    std::vector<std::string> dimmed(line.chars.size());
    for (std::size_t k = 0; k < line.chars.size(); ++k)
        if (const auto code = code_of_stand_in(line.chars[k]))
            dimmed[k] = hex_cell_text(*code);
    return dimmed;
}

val line_value(const MessageLine& line) {
    val out = val::object();
    out.set("cells", line.cells);
    out.set("chars", array_of(line.chars));
    out.set("dimmed", array_of(dimmed_codes(line)));
    out.set("hex", array_of(line.hex));
    out.set("hexShown", line.hex_shown());
    out.set("ruler", array_of(line.ruler));
    return out;
}

// Dots as a text of '1' lit and '0' dark, column 1 first, each column top to bottom.
std::string dot_text(const DotGrid& grid) {
    std::string text;
    for (int column = 1; column <= udc_columns; ++column)
        for (int row = 0; row < udc_rows; ++row)
            text += grid.lit(column, row) ? '1' : '0';
    return text;
}

// The desktop's words for the hatched codes, for the preview's title and accessible name.
std::string missing_glyphs_text(const DotPreview& preview) {
    if (preview.missing.empty())
        return "Every code has its glyph.";
    std::vector<std::uint8_t> codes;
    for (const auto& missing : preview.missing)
        if (std::find(codes.begin(), codes.end(), missing.code) == codes.end())
            codes.push_back(missing.code);
    std::string text = "Drawn hatched, no glyph in this code page: ";
    for (std::size_t i = 0; i < codes.size(); ++i) {
        char code[8];
        std::snprintf(code, sizeof code, "0x%02X", codes[i]);
        text += (i ? ", " : "") + std::string(code);
    }
    return text;
}

val preview_value(const DotPreview& preview) {
    val rows = val::array();
    for (const auto& row : preview.rows) {
        val cells = val::array();
        for (const auto& cell : row) {
            val shown = val::object();
            shown.set("missing", cell.look == CellLook::Missing);
            shown.set("dots", dot_text(cell.dots));
            cells.call<void>("push", shown);
        }
        rows.call<void>("push", cells);
    }
    val out = val::object();
    out.set("rows", rows);
    out.set("note", missing_glyphs_text(preview));
    return out;
}

val test_value(const EditorModel::TestPanel& test) {
    val out = val::object();
    out.set("line1", test.line1);
    out.set("line2", test.line2);
    out.set("lineWidth", test_line_width);
    out.set("TestCommand", list_value(test.command_set));
    out.set("TestLevel", list_value(test.level));
    out.set("brightness", test.brightness);
    out.set("setUsed", test.set_used);
    out.set("outcome", test.outcome);
    return out;
}

val snapshot() {
    const Editor& e = editor();
    const EditorModel& m = e.model;
    val out = val::object();
    out.set("Comm", combo_value(m.host_port));
    out.set("Baud", combo_value(m.host_line));
    out.set("Char", list_value(m.code_page));
    out.set("Command", list_value(m.command_set));
    out.set("BaudRate", list_value(m.display_baud));
    out.set("Passthru", list_value(m.passthru_mode));
    out.set("line1", line_value(m.line1));
    out.set("line2", line_value(m.line2));
    out.set("caption", m.character_caption);
    out.set("code", m.character_code);
    out.set("dots", dot_text(m.character_dots));
    out.set("tab", m.shown_tab);
    out.set("characterNote", m.character_note);
    out.set("test", test_value(m.test));
    out.set("preview", preview_value(render_preview(preview_image(e))));
    return out;
}

ListBox* list_named(const std::string& name) {
    EditorModel& m = editor().model;
    if (name == "Char")
        return &m.code_page;
    if (name == "Command")
        return &m.command_set;
    if (name == "BaudRate")
        return &m.display_baud;
    if (name == "Passthru")
        return &m.passthru_mode;
    return nullptr;
}

ComboBox* combo_named(const std::string& name) {
    EditorModel& m = editor().model;
    if (name == "Comm")
        return &m.host_port;
    if (name == "Baud")
        return &m.host_line;
    return nullptr;
}

// The ports this page may use stand where the desktop lists "Com 1" to "Com 8": the port of
// a transfer is the entry's place in this list, as there.
void set_ports(const std::vector<std::string>& labels, int selected) {
    ComboBox& comm = editor().model.host_port;
    comm.entries = labels;
    comm.select(selected);
}

void select_entry(const std::string& name, int index) {
    if (name == "Char")
        choose_code_page(editor(), index);
    else if (name == "TestCommand")
        choose_test_set(editor(), index);
    else if (name == "TestLevel")
        choose_test_level(editor(), index);
    else if (ListBox* list = list_named(name))
        list->select(index);
    else if (ComboBox* combo = combo_named(name))
        combo->select(index);
}

void type_text(const std::string& name, const std::string& text) {
    if (ComboBox* combo = combo_named(name))
        combo->type(text);
}

void set_cell(int line, bool hex, int cell, const std::string& text) {
    MessageLine& shown = line_numbered(editor().model, line);
    if (cell < 1 || cell > shown.cells)
        return;
    if (hex)
        shown.hex[cell] = text;
    else
        type_character(editor(), line, cell, text);
}

void set_code(const std::string& text) {
    editor().model.character_code = text;
}

void show_tab_numbered(int index) {
    show_tab(editor(), index);
}

void type_test_text(int line, const std::string& text) {
    type_test_line(editor(), line, text);
}

} // namespace

// The commands, by the names the page gives them; `a` and `b` carry a line, view, column or row.
extern "C" EMSCRIPTEN_KEEPALIVE int pds_command(const char* name, int a, int b) {
    const std::string command(name);
    Editor& e = editor();
    if (command == "start_up")
        start_up(e);
    else if (command == "shut_down")
        shut_down(e);
    else if (command == "write")
        write_to_display(e);
    else if (command == "read")
        read_from_display(e);
    else if (command == "save")
        save_to_file(e);
    else if (command == "load")
        load_from_file(e);
    else if (command == "find") {
        BrowserFindProgress progress;
        find_display(e, progress);
    } else if (command == "help")
        open_help(e, {});
    else if (command == "defaults")
        set_all_default(e);
    else if (command == "view")
        select_line_view(e, a, b ? MessageView::Hex : MessageView::Characters);
    else if (command == "clear_line")
        clear_line(e, a);
    else if (command == "add_missing")
        add_missing_characters(e);
    else if (command == "toggle_dot")
        toggle_dot(e, a, b);
    else if (command == "clear_character")
        clear_character(e);
    else if (command == "next_character")
        next_character(e);
    else if (command == "previous_character")
        previous_character(e);
    else if (command == "test_send")
        send_test_lines(e);
    else if (command == "test_clear")
        clear_test_display(e);
    else if (command == "test_brightness")
        set_test_brightness(e);
    else
        return 0;
    return 1;
}

} // namespace pds::web

EMSCRIPTEN_BINDINGS(pole_display_setup) {
    using namespace pds::web;
    emscripten::register_vector<std::string>("StringList");
    emscripten::function("snapshot", &snapshot);
    emscripten::function("setPorts", &set_ports);
    emscripten::function("selectEntry", &select_entry);
    emscripten::function("typeText", &type_text);
    emscripten::function("setCell", &set_cell);
    emscripten::function("setCode", &set_code);
    emscripten::function("showTab", &show_tab_numbered);
    emscripten::function("typeTestLine", &type_test_text);
}
