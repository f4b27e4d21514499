#include "ui/dot_button.h"

#include <QKeyEvent>
#include <QPainter>

namespace pds::ui {

DotButton::DotButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setCheckable(true);
    // Assistive technology toggles a checkable button without clicking it: take that as the
    // click it stands for, and undo it when nobody acted on the click.
    connect(this, &QAbstractButton::toggled, this, [this](bool checked) {
        if (checked == lit_)
            return;
        emit clicked(checked);
        if (isChecked() != lit_)
            setChecked(lit_);
    });
}

void DotButton::set_lit(bool lit) {
    if (lit_ == lit)
        return;
    lit_ = lit;
    setChecked(lit);
}

void DotButton::keyPressEvent(QKeyEvent* event) {
    DotButton* next = nullptr;
    switch (event->key()) {
    case Qt::Key_Left:
        next = neighbours_.left;
        break;
    case Qt::Key_Right:
        next = neighbours_.right;
        break;
    case Qt::Key_Up:
        next = neighbours_.up;
        break;
    case Qt::Key_Down:
        next = neighbours_.down;
        break;
    default:
        QAbstractButton::keyPressEvent(event);
        return;
    }
    // At the edge the focus stays, rather than leaving the grid for another control.
    if (next)
        next->setFocus(Qt::OtherFocusReason);
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
