#include "editor/controls.h"

#include <algorithm>

namespace pds {

void ComboBox::type(std::string text) {
    auto it = std::find(entries.begin(), entries.end(), text);
    index = it == entries.end() ? -1 : static_cast<int>(it - entries.begin());
    typed = std::move(text);
}

} // namespace pds
