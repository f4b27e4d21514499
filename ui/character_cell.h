#pragma once

#include <QLineEdit>

namespace pds::ui {

// A character cell of a welcome line. A code without a character in the code page (a control
// or unassigned code) would look like an empty cell, which it is not: it is packed as a byte,
// an empty cell as none. So such a code is drawn as its two hexadecimal digits, dimmed; the
// cell's text stays the core's stand-in for the code.
class CharacterCell : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace pds::ui
