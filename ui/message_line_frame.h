// One welcome-message line on the "Welcome Msg" tab: its frame, the character and hexadecimal
// cell rows with their rulers, the two view options and "Clear".
#pragma once

#include "message/message_line.h"
#include "ui/twips.h"

#include <QString>

#include <vector>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace pds::ui {

class MessageLineFrame {
public:
    // line is 1 or 2; top is the frame's top edge on the page, in twips.
    MessageLineFrame(QWidget* page, int line, const QString& caption, int top, const Twips& twips);

    // Shows the line as the model holds it; sets only what differs, so the cursor of the cell
    // being typed in stays where it is.
    void draw(const MessageLine& model);

    int cells() const { return static_cast<int>(A.size()) - 1; }

    QGroupBox* frame;
    QRadioButton* Op_A;           // "ASCII"
    QRadioButton* Op_H;           // "Hex"
    std::vector<QLineEdit*> A;    // 1..cells, [0] unused
    std::vector<QLineEdit*> H;    // 1..cells, [0] unused
    std::vector<QLabel*> Label_A; // ruler over the character rows
    std::vector<QLabel*> Label_H; // ruler over the hexadecimal rows
    QPushButton* CLR_MSG;
};

// Height of a line's frame in twips.
int message_frame_height(int cells);

} // namespace pds::ui
