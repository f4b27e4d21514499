#pragma once

#include <QLineEdit>

namespace pds::ui {

// A character cell of a welcome line. A control code has no glyph and would look like an
// empty cell, which it is not: it is packed as a byte, an empty cell as none. So such a code
// is drawn as its two hexadecimal digits, dimmed; the cell's text stays the code itself.
class CharacterCell : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace pds::ui
