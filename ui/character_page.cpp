#include "ui/character_page.h"

#include "ui/dot_button.h"
#include "ui/indexed.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace pds::ui {

namespace {

// Geometry of the page, in twips.
constexpr int top_line = 180;
constexpr int line_height = 315;
constexpr int grid_left = 2550;
constexpr int grid_top = 780;
constexpr int dot_size = 340;
constexpr int dot_pitch = 360;

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
    UDC_label = make_label(QString(), page, twips.rect(180, top_line, 2250, line_height));
    UDC_label->setObjectName(QStringLiteral("UDC_label"));

    UDC_UP = new QPushButton(QStringLiteral("<<"), page);
    UDC_UP->setObjectName(QStringLiteral("UDC_UP"));
    UDC_UP->setGeometry(twips.rect(2550, top_line, 480, line_height));

    make_label(QStringLiteral("0x"), page, twips.rect(3090, top_line, 270, line_height),
               Qt::AlignRight | Qt::AlignVCenter);

    UDC_TEXT = new QLineEdit(page);
    UDC_TEXT->setObjectName(QStringLiteral("UDC_TEXT"));
    UDC_TEXT->setMaxLength(2);
    UDC_TEXT->setAlignment(Qt::AlignCenter);
    UDC_TEXT->setGeometry(twips.rect(3390, top_line, 450, line_height));

    make_label(QStringLiteral("(Hex)"), page, twips.rect(3885, top_line, 540, line_height));

    UDC_NEXT = new QPushButton(QStringLiteral(">>"), page);
    UDC_NEXT->setObjectName(QStringLiteral("UDC_NEXT"));
    UDC_NEXT->setGeometry(twips.rect(4440, top_line, 480, line_height));

    for (int column = 0; column < 5; ++column) {
        for (int row = 0; row < 7; ++row) {
            auto* dot = new DotButton(page);
            name_control(dot, QStringLiteral("map%1").arg(column + 1), row);
            dot->setAccessibleName(
                QStringLiteral("row %1, column %2").arg(row + 1).arg(column + 1));
            dot->setGeometry(twips.rect(grid_left + column * dot_pitch, grid_top + row * dot_pitch,
                                        dot_size, dot_size));
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

    const int bottom_row = grid_top + 6 * dot_pitch;
    MAP_Clear = new QPushButton(QStringLiteral("Clear"), page);
    MAP_Clear->setObjectName(QStringLiteral("MAP_Clear"));
    MAP_Clear->setGeometry(twips.rect(grid_left - 240 - 900, bottom_row, 900, dot_size));

    const int notes_left = grid_left + 5 * dot_pitch + 480;
    make_label(QStringLiteral("Range : 0x20~0x7E"), page,
               twips.rect(notes_left, bottom_row - dot_pitch, 2400, dot_size));
    make_label(QStringLiteral("Max Characters = 9"), page,
               twips.rect(notes_left, bottom_row, 2400, dot_size));
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
