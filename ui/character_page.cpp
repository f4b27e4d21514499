#include "ui/character_page.h"

#include "ui/dot_button.h"
#include "ui/indexed.h"
#include "window_geometry.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace pds::ui {

namespace {

QLabel* make_label(const QString& text, QWidget* page, const QRect& geometry,
                   Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* label = new QLabel(text, page);
    label->setAlignment(alignment);
    label->setGeometry(geometry);
    return label;
}

} // namespace

CharacterPage::CharacterPage(QWidget* page, const Twips& twips) {
    // Created in tab order, left to right along the top line, then the grid and "Clear".
    UDC_label = make_label(QString(), page, twips.rect(geometry::character_label));
    UDC_label->setObjectName(QStringLiteral("UDC_label"));

    UDC_UP = new QPushButton(QStringLiteral("<<"), page);
    UDC_UP->setObjectName(QStringLiteral("UDC_UP"));
    UDC_UP->setGeometry(twips.rect(geometry::character_previous));

    make_label(QStringLiteral("0x"), page, twips.rect(geometry::character_0x),
               Qt::AlignRight | Qt::AlignVCenter);

    UDC_TEXT = new QLineEdit(page);
    UDC_TEXT->setObjectName(QStringLiteral("UDC_TEXT"));
    UDC_TEXT->setMaxLength(2);
    UDC_TEXT->setAlignment(Qt::AlignCenter);
    UDC_TEXT->setGeometry(twips.rect(geometry::character_code));

    make_label(QStringLiteral("(Hex)"), page, twips.rect(geometry::character_hex));

    UDC_NEXT = new QPushButton(QStringLiteral(">>"), page);
    UDC_NEXT->setObjectName(QStringLiteral("UDC_NEXT"));
    UDC_NEXT->setGeometry(twips.rect(geometry::character_next));

    for (int column = 0; column < 5; ++column) {
        for (int row = 0; row < 7; ++row) {
            auto* dot = new DotButton(page);
            name_control(dot, QStringLiteral("map%1").arg(column + 1), row);
            dot->setAccessibleName(
                QStringLiteral("row %1, column %2").arg(row + 1).arg(column + 1));
            TwipsRect placed = geometry::character_dot;
            placed.left += column * geometry::character_dot_step;
            placed.top += row * geometry::character_dot_step;
            dot->setGeometry(twips.rect(placed));
            map[column][row] = dot;
        }
    }
    const auto dot_at = [this](int column, int row) -> DotButton* {
        const bool inside = column >= 0 && column < 5 && row >= 0 && row < 7;
        return inside ? map[column][row] : nullptr;
    };
    for (int column = 0; column < 5; ++column)
        for (int row = 0; row < 7; ++row)
            map[column][row]->set_neighbours({dot_at(column - 1, row), dot_at(column + 1, row),
                                              dot_at(column, row - 1), dot_at(column, row + 1)});

    MAP_Clear = new QPushButton(QStringLiteral("Clear"), page);
    MAP_Clear->setObjectName(QStringLiteral("MAP_Clear"));
    MAP_Clear->setGeometry(twips.rect(geometry::character_clear));

    make_label(QStringLiteral("Range : 0x20~0x7E"), page, twips.rect(geometry::character_range));
    make_label(QStringLiteral("Max Characters = 9"), page, twips.rect(geometry::character_most));
}

void CharacterPage::draw(const EditorModel& model) {
    const QString label = QString::fromStdString(model.character_caption);
    if (UDC_label->text() != label)
        UDC_label->setText(label);
    const QString code = QString::fromStdString(model.character_code);
    if (UDC_TEXT->text() != code)
        UDC_TEXT->setText(code);
    for (int column = 0; column < 5; ++column) {
        for (int row = 0; row < 7; ++row) {
            map[column][row]->set_lit(model.character_dots.lit(column + 1, row));
        }
    }
}

} // namespace pds::ui
