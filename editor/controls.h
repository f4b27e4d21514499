// Plain-data stand-ins for the window's drop-down controls: what they hold, not how they are
// drawn.
#pragma once

#include <string>
#include <vector>

namespace pds {

// A pick-only drop-down list: the operator can only choose an entry.
struct ListBox {
    std::vector<std::string> entries;
    int index = -1; // -1 until something is selected

    int size() const { return static_cast<int>(entries.size()); }
    void add(std::string entry) { entries.push_back(std::move(entry)); }
    void select(int i) { index = i; }
    std::string text() const {
        return index >= 0 && index < size() ? entries[index] : std::string();
    }

    bool operator==(const ListBox&) const = default;
};

// A drop-down box whose text the operator can also type over.
struct ComboBox : ListBox {
    std::string typed; // the box's text

    void select(int i) {
        ListBox::select(i);
        typed = ListBox::text();
    }
    // Typing selects the entry spelled exactly so, and no entry otherwise.
    void type(std::string text);
    std::string text() const { return typed; }

    bool operator==(const ComboBox&) const = default;
};

} // namespace pds
