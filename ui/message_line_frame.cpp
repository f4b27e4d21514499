#include "ui/message_line_frame.h"

#include "ui/character_cell.h"
#include "ui/indexed.h"
#include "window_geometry.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace pds::ui {

namespace {

using geometry::message_cell_step;
using geometry::message_cells_per_row;

// A row of cells under its ruler; the rows start below the caption and "Clear".
int row_top(int row) {
    return geometry::message_rows_top + row * geometry::message_row_step;
}

// A rectangle placed from the top of its row.
QRect in_row(const Twips& twips, TwipsRect placed, int row, int shift_left = 0) {
    placed.top += row_top(row);
    placed.left += shift_left;
    return twips.rect(placed);
}

int rows_of(int cells) {
    return (cells + message_cells_per_row - 1) / message_cells_per_row;
}

template <typename Cell>
QLineEdit* make_cell(QWidget* frame, const QString& name, int k, int max_length, int first_row,
                     const Twips& twips) {
    auto* cell = new Cell(frame);
    name_control(cell, name, k);
    cell->setMaxLength(max_length);
    cell->setAlignment(Qt::AlignCenter);
    cell->setTextMargins(0, 0, 0, 0);
    const int row = first_row + (k - 1) / message_cells_per_row;
    const int column = (k - 1) % message_cells_per_row;
    cell->setGeometry(in_row(twips, geometry::message_cell, row, column * message_cell_step));
    return cell;
}

// The ruler of one view: the row's first number at its left end, the others over their cells.
std::vector<QLabel*> make_ruler(QWidget* frame, const QString& name,
                                const std::vector<std::string>& captions, int first_row,
                                const Twips& twips) {
    std::vector<QLabel*> labels;
    QFont small = frame->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    const int per_row = 5; // "0" (or "21"), then four cell numbers
    for (int i = 0; i < static_cast<int>(captions.size()); ++i) {
        auto* label = new QLabel(QString::fromStdString(captions[i]), frame);
        name_control(label, name, i);
        label->setFont(small);
        const int row = first_row + i / per_row;
        if (i % per_row == 0) {
            label->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
            label->setGeometry(in_row(twips, geometry::message_ruler, row));
        } else {
            const int cell = std::stoi(captions[i]);
            const int column = (cell - 1) % message_cells_per_row;
            label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
            label->setGeometry(in_row(twips, geometry::message_ruler, row,
                                      column * message_cell_step - message_cell_step / 2));
        }
        labels.push_back(label);
    }
    return labels;
}

template <typename Widget> void show_only_if(const std::vector<Widget*>& widgets, bool shown) {
    for (auto* widget : widgets)
        if (widget)
            widget->setHidden(!shown);
}

void set_text(QLineEdit* cell, const std::string& text) {
    const QString wanted = QString::fromStdString(text);
    if (cell->text() != wanted)
        cell->setText(wanted);
}

} // namespace

int message_frame_height(int cells) {
    return row_top(2 * rows_of(cells)) + geometry::message_frame_bottom;
}

MessageLineFrame::MessageLineFrame(QWidget* page, int line, const QString& caption, int top,
                                   const Twips& twips) {
    const int cells = line == 1 ? 20 : 40;
    const QString n = QString::number(line);
    frame = new QGroupBox(caption, page);
    frame->setObjectName(QStringLiteral("Frame_L%1").arg(line));
    frame->setGeometry(twips.rect(geometry::message_frame.left, top, geometry::message_frame.width,
                                  message_frame_height(cells)));

    // Created in tab order: the character view, the hexadecimal view, then "Clear".
    const int ascii_row = 0;
    const int hex_row = rows_of(cells);
    const std::vector<std::string> ruler = MessageLine(cells).ruler;

    Op_A = new QRadioButton(QStringLiteral("ASCII"), frame);
    Op_A->setObjectName("Op_L" + n + "A");
    Op_A->setGeometry(in_row(twips, geometry::message_option, ascii_row));
    A.assign(cells + 1, nullptr);
    for (int k = 1; k <= cells; ++k)
        A[k] = make_cell<CharacterCell>(frame, "L" + n + "A", k, 1, ascii_row, twips);

    Op_H = new QRadioButton(QStringLiteral("Hex"), frame);
    Op_H->setObjectName("Op_L" + n + "H");
    Op_H->setGeometry(in_row(twips, geometry::message_option, hex_row));
    H.assign(cells + 1, nullptr);
    for (int k = 1; k <= cells; ++k)
        H[k] = make_cell<QLineEdit>(frame, "L" + n + "H", k, 2, hex_row, twips);

    Label_A = make_ruler(frame, "Label_L" + n + "A1", ruler, ascii_row, twips);
    Label_H = make_ruler(frame, "Label_L" + n + "H1", ruler, hex_row, twips);

    CLR_MSG = new QPushButton(QStringLiteral("Clear"), frame);
    CLR_MSG->setObjectName("CLR_MSG" + n);
    CLR_MSG->setGeometry(twips.rect(geometry::message_clear));
}

void MessageLineFrame::draw(const MessageLine& model) {
    for (int k = 1; k <= cells(); ++k) {
        set_text(A[k], model.chars[k]);
        set_text(H[k], model.hex[k]);
    }
    show_only_if(A, model.characters_shown());
    show_only_if(Label_A, model.characters_shown());
    show_only_if(H, model.hex_shown());
    show_only_if(Label_H, model.hex_shown());
    // Checking one option of the pair unchecks the other.
    (model.characters_shown() ? Op_A : Op_H)->setChecked(true);
}

} // namespace pds::ui
