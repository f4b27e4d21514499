#include "editor/controls.h"

#include <algorithm>

namespace pds {

void ComboBox::type(std::string text) {
    auto it = std::find(entries.begin(), entries.end(), text);
    index = it == entries.end() ? -1 : static_cast<int>(it - entries.begin());
    typed = std::move(text);
}

namespace {
std::vector<std::string> ruler_for(int cells) {
    if (cells == 20)
        return {"0", "5", "10", "15", "20"};
    return {"0", "5", "10", "15", "20", "21", "25", "30", "35", "40"};
}
} // namespace

MessageLine::MessageLine(int cell_count)
    : cells(cell_count), A(cell_count + 1), H(cell_count + 1), ruler(ruler_for(cell_count)) {}

} // namespace pds
