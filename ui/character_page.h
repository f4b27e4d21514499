// The "User Defined Character" tab: the top line with the code box, the 5 x 7 dot grid,
// "Clear" and the two notes on the permitted codes.
#pragma once

#include "editor/editor_model.h"
#include "ui/twips.h"

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace pds::ui {

class DotButton;

class CharacterPage {
public:
    CharacterPage(QWidget* page, const Twips& twips);

    void draw(const EditorModel& model);

    QLabel* UDC_label;
    QPushButton* UDC_UP;
    QLineEdit* UDC_TEXT;
    QPushButton* UDC_NEXT;
    std::array<std::array<DotButton*, 7>, 5> map{}; // [column 0..4 = map1..map5][row 0..6]
    QPushButton* MAP_Clear;
};

} // namespace pds::ui
