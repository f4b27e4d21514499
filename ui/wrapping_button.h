#pragma once

#include <QPushButton>

namespace pds::ui {

// A push button whose caption wraps onto several lines, for the tall button of the command
// band. text() keeps the caption exactly as given.
class WrappingButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace pds::ui
