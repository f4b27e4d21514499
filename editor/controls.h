// Plain-data stand-ins for the window's controls: what they hold, not how they are drawn.
#pragma once

#include <array>
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
    std::string text() const { return index >= 0 && index < size() ? entries[index] : std::string(); }

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

enum class MessageView { Ascii, Hex };

// One welcome-message line: its character cells (L1A / L2A), its hexadecimal cells
// (L1H / L2H), which option is selected, and the ruler labels over the cells.
struct MessageLine {
    explicit MessageLine(int cell_count);

    int cells;                  // 20 for line 1, 40 for line 2
    std::vector<std::string> A; // character cells, indexed 1..cells (index 0 unused)
    std::vector<std::string> H; // hexadecimal cells, indexed 1..cells (index 0 unused)
    MessageView view = MessageView::Ascii; // Op_LnA selected, or Op_LnH selected

    // Both views carry the same ruler; only the shown view's labels are visible.
    std::vector<std::string> ruler;
    bool ascii_shown() const { return view == MessageView::Ascii; }
    bool hex_shown() const { return view == MessageView::Hex; }

    bool operator==(const MessageLine&) const = default;
};

// The 5 x 7 dot grid map1..map5: column 1..5 from the left, row 0..6 from the top.
struct DotGrid {
    std::array<std::array<bool, 7>, 5> dots{};

    bool lit(int column, int row) const { return dots.at(column - 1).at(row); }
    void set(int column, int row, bool on) { dots.at(column - 1).at(row) = on; }
    bool operator==(const DotGrid&) const = default;
};

} // namespace pds
