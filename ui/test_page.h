// The "Test Display" tab: the two lines to send, Send and Clear, the brightness level and its
// Set, the command set the actions speak, and what the last action did.
#pragma once

#include "editor/editor_model.h"
#include "ui/twips.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace pds::ui {

class TestPage {
public:
    TestPage(QWidget* page, const Twips& twips);

    void draw(const EditorModel& model);

    QLineEdit* TestLine1;
    QLineEdit* TestLine2;
    QPushButton* TestSend;
    QPushButton* TestClear;
    QComboBox* TestLevel;
    QPushButton* TestBrightness;
    QComboBox* TestCommand;
    QLabel* TestSetUsed;
    QLabel* TestOutcome;
};

} // namespace pds::ui
