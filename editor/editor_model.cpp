#include "editor/editor_model.h"

#include "display_sets/command_sets.h"
#include "settings/option_lists.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace pds {

const ListBox& list_of(const EditorModel& model, const ImageListField& field) {
    switch (field.position) {
    case position::display_baud:
        return model.display_baud;
    case position::code_page:
        return model.code_page;
    case position::command_set:
        return model.command_set;
    case position::passthru_mode:
        return model.passthru_mode;
    }
    throw std::invalid_argument("no list shows image position " + std::to_string(field.position));
}

ListBox& list_of(EditorModel& model, const ImageListField& field) {
    return const_cast<ListBox&>(list_of(std::as_const(model), field));
}

namespace {
template <typename List, typename Entries>
void fill(List& list, const Entries& entries, int selected) {
    for (auto entry : entries)
        list.add(std::string(entry));
    list.select(selected);
}
} // namespace

void fill_option_lists(EditorModel& model) {
    fill(model.code_page, char_entries, 0);
    fill(model.command_set, command_entries, default_command);
    fill(model.display_baud, baud_rate_entries, 0);
    fill(model.host_line, baud_entries, 0);
    fill(model.host_port, comm_entries, 0);
    fill(model.passthru_mode, passthru_entries, 0);
    model.test.command_set.add(as_the_display_reports);
    fill(model.test.command_set, command_entries, 0);
    for (int level = 1; level <= brightness_level_count; ++level)
        model.test.level.add(std::to_string(level) + (level == 1 ? " (dimmest)"
                                                      : level == brightness_level_count
                                                          ? " (brightest)"
                                                          : ""));
    model.test.level.select(brightness_level_count - 1);
}

} // namespace pds
