#include "ui/message_line_frame.h"

#include "ui/character_cell.h"
#include "ui/indexed.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace pds::ui {

namespace {

// Geometry inside a frame, in twips.
constexpr int frame_left = 60;
constexpr int frame_width = 6960;
constexpr int rows_top = 330;  // below the caption and "Clear"
constexpr int row_pitch = 480; // a ruler over a row of cells
constexpr int ruler_height = 180;
constexpr int cell_height = 300;
constexpr int cells_left = 900;
constexpr int cell_pitch = 300;
constexpr int cell_width = 285;
constexpr int cells_per_row = 20;
constexpr int option_left = 90;
constexpr int option_width = 780;

int row_top(int row) {
    return rows_top + row * row_pitch;
}

int rows_of(int cells) {
    return (cells + cells_per_row - 1) / cells_per_row;
}

template <typename Cell>
QLineEdit* make_cell(QWidget* frame, const QString& name, int k, int max_length, int first_row,
                     const Twips& twips) {
    auto* cell = new Cell(frame);
    name_control(cell, name, k);
    cell->setMaxLength(max_length);
    cell->setAlignment(Qt::AlignCenter);
    cell->setTextMargins(0, 0, 0, 0);
    const int row = first_row + (k - 1) / cells_per_row;
    const int column = (k - 1) % cells_per_row;
    cell->setGeometry(twips.rect(cells_left + column * cell_pitch, row_top(row) + ruler_height,
                                 cell_width, cell_height));
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
        const int top = row_top(row);
        if (i % per_row == 0) {
            label->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
            label->setGeometry(twips.rect(cells_left, top, cell_pitch * 2, ruler_height));
        } else {
            const int cell = std::stoi(captions[i]);
            const int column = (cell - 1) % cells_per_row;
            label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
            label->setGeometry(twips.rect(cells_left + column * cell_pitch - cell_pitch / 2, top,
                                          cell_pitch * 2, ruler_height));
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
    return row_top(2 * rows_of(cells)) + 90;
}

MessageLineFrame::MessageLineFrame(QWidget* page, int line, const QString& caption, int top,
                                   const Twips& twips) {
    const int cells = line == 1 ? 20 : 40;
    const QString n = QString::number(line);
    frame = new QGroupBox(caption, page);
    frame->setObjectName(QStringLiteral("Frame_L%1").arg(line));
    frame->setGeometry(twips.rect(frame_left, top, frame_width, message_frame_height(cells)));

    // Created in tab order: the character view, the hexadecimal view, then "Clear".
    const int ascii_row = 0;
    const int hex_row = rows_of(cells);
    const std::vector<std::string> ruler = MessageLine(cells).ruler;

    Op_A = new QRadioButton(QStringLiteral("ASCII"), frame);
    Op_A->setObjectName("Op_L" + n + "A");
    Op_A->setGeometry(
        twips.rect(option_left, row_top(ascii_row) + ruler_height, option_width, cell_height));
    A.assign(cells + 1, nullptr);
    for (int k = 1; k <= cells; ++k)
        A[k] = make_cell<CharacterCell>(frame, "L" + n + "A", k, 1, ascii_row, twips);

    Op_H = new QRadioButton(QStringLiteral("Hex"), frame);
    Op_H->setObjectName("Op_L" + n + "H");
    Op_H->setGeometry(
        twips.rect(option_left, row_top(hex_row) + ruler_height, option_width, cell_height));
    H.assign(cells + 1, nullptr);
    for (int k = 1; k <= cells; ++k)
        H[k] = make_cell<QLineEdit>(frame, "L" + n + "H", k, 2, hex_row, twips);

    Label_A = make_ruler(frame, "Label_L" + n + "A1", ruler, ascii_row, twips);
    Label_H = make_ruler(frame, "Label_L" + n + "H1", ruler, hex_row, twips);

    CLR_MSG = new QPushButton(QStringLiteral("Clear"), frame);
    CLR_MSG->setObjectName("CLR_MSG" + n);
    CLR_MSG->setGeometry(twips.rect(frame_width - 60 - 750, 15, 750, 300));
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
