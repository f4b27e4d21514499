#include "ui/dot_button.h"

#include <QPainter>

namespace pds::ui {

DotButton::DotButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void DotButton::set_lit(bool lit) {
    if (lit_ == lit)
        return;
    lit_ = lit;
    update();
}

void DotButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& colours = palette();
    painter.fillRect(rect(), colours.color(lit_ ? QPalette::WindowText : QPalette::Button));
    painter.setPen(colours.color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (hasFocus()) {
        // Drawn in the opposite of the fill, so it shows on lit and unlit dots alike.
        painter.setPen(
            QPen(colours.color(lit_ ? QPalette::Button : QPalette::WindowText), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(3, 3, -4, -4));
    }
}

} // namespace pds::ui
