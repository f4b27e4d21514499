#include "ui/character_cell.h"

#include <QPainter>

namespace pds::ui {

void CharacterCell::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    const QString shown = text();
    if (shown.size() != 1 || shown[0].category() != QChar::Other_Control)
        return;
    QPainter painter(this);
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.75);
    painter.setFont(small);
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(
        rect(), Qt::AlignCenter,
        QStringLiteral("%1").arg(shown[0].unicode(), 2, 16, QLatin1Char('0')).toUpper());
}

} // namespace pds::ui
