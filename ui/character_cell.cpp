#include "ui/character_cell.h"

#include "message/charset.h"

#include <QPainter>

namespace pds::ui {

void CharacterCell::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    const auto code = code_of_stand_in(text().toStdString());
    if (!code)
        return;
    QPainter painter(this);
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.75);
    painter.setFont(small);
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(rect(), Qt::AlignCenter,
                     QStringLiteral("%1").arg(*code, 2, 16, QLatin1Char('0')).toUpper());
}

} // namespace pds::ui
