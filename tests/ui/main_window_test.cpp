#include "window_fixture.h"

#include "commands/preview.h"
#include "commands/read_from_display.h"
#include "commands/write_to_display.h"
#include "glyphs/code_page_glyphs.h"
#include "support/fake_display.h"
#include "support/url_recorder.h"
#include "ui/preview_panel.h"
#include "ui/qt_shell.h"

#include <QAccessible>
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QPalette>
#include <QRadioButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace pds {
namespace {

using testing::Window;

struct MainWindowTest : ::testing::Test {
    QApplication& app = testing::qt_application();
    fakes::FakeServices fake;
    Window w{fake.services};

    bool ascii_shown(int line) const {
        const QByteArray n = QByteArray::number(line);
        return w.named<QRadioButton>("Op_L" + n + "A")->isChecked();
    }
    // The cells of a line as the operator sees them: the shown view's texts.
    QStringList shown_cells(int line) const {
        const QByteArray view = "L" + QByteArray::number(line) + (ascii_shown(line) ? "A" : "H");
        QStringList out;
        for (int k = 1; k <= (line == 1 ? 20 : 40); ++k) {
            QLineEdit* cell = w.cell(view, k);
            EXPECT_TRUE(cell->isVisible()) << view.constData() << k;
            out << cell->text();
        }
        return out;
    }
    QColor dot_colour(int column, int row) const {
        QWidget* dot = w.element(("map" + std::to_string(column)).c_str(), row);
        return dot->grab().toImage().pixelColor(dot->width() / 2, dot->height() / 2);
    }
};

QStringList characters(const QString& text, int cells) {
    QStringList out;
    for (int k = 0; k < cells; ++k)
        out << (k < text.size() ? QString(text[k]) : QString());
    return out;
}

// Every caption of the window, blanks included, tab by tab as the operator sees them.
TEST_F(MainWindowTest, ShowsEveryControlWithItsCaption) {
    EXPECT_EQ(w.window->windowTitle(), QString("Vela Pole Display Setup v3.2"));
    auto* tabs = w.named<QTabWidget>("SSTab1");
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_EQ(tabs->tabText(0), QString("Command Setting"));
    EXPECT_EQ(tabs->tabText(1), QString("Welcome Msg"));
    EXPECT_EQ(tabs->tabText(2), QString("User Defined Character"));
    EXPECT_EQ(tabs->tabText(3), QString("Test Display"));

    using Captions = std::vector<std::pair<const char*, const char*>>;
    const auto expect_buttons = [this](const Captions& buttons) {
        for (const auto& [name, caption] : buttons) {
            auto* button = w.named<QAbstractButton>(name);
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->text(), QString(caption)) << name;
            EXPECT_TRUE(button->isVisible()) << name;
        }
    };
    // Only what is on the screen counts: a caption on a page not shown is not seen.
    const auto expect_shown_labels = [this](std::initializer_list<const char*> captions) {
        std::set<QString> shown;
        for (auto* label : w.window->findChildren<QLabel*>())
            if (label->isVisible())
                shown.insert(label->text());
        for (const char* caption : captions)
            EXPECT_TRUE(shown.count(caption)) << '"' << caption << '"';
    };
    const auto shown_frames = [this] {
        std::set<QString> frames;
        for (auto* frame : w.window->findChildren<QGroupBox*>())
            if (frame->isVisible())
                frames.insert(frame->title());
        return frames;
    };

    expect_buttons({{"GetSetting", "Read Setting From Pole Display"},
                    {"Load", "Load"},
                    {"Save", "Save"},
                    {"Help", "About This Utility"},
                    {"SetAllDefault", "Set All Default"},
                    {"Download", "Write To Pole Display"}});
    expect_shown_labels({"Com Port Select :", "Baud Rate :", " Character Type :", "Command Mode :",
                         "BaudRate Select :", " Passthru Mode :"});
    EXPECT_EQ(shown_frames(), (std::set<QString>{"Interface Setting"}));

    w.show_tab(1);
    expect_buttons({{"Op_L1A", "ASCII"},
                    {"Op_L1H", "Hex"},
                    {"Op_L2A", "ASCII"},
                    {"Op_L2H", "Hex"},
                    {"CLR_MSG1", "Clear"},
                    {"CLR_MSG2", "Clear"}});
    EXPECT_EQ(shown_frames(),
              (std::set<QString>{"Interface Setting", "Welcome Msg 1", "Welcome Msg 2 "}));
    const QStringList ruler1{"0", "5", "10", "15", "20"};
    const QStringList ruler2{"0", "5", "10", "15", "20", "21", "25", "30", "35", "40"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(w.element<QLabel>("Label_L1A1", i)->text(), ruler1[i]);
        EXPECT_EQ(w.element<QLabel>("Label_L1H1", i)->text(), ruler1[i]);
    }
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(w.element<QLabel>("Label_L2A1", i)->text(), ruler2[i]);
        EXPECT_EQ(w.element<QLabel>("Label_L2H1", i)->text(), ruler2[i]);
    }
    // Line 2 stands in two rows: cell 21 under cell 1, and the character rows above the
    // hexadecimal ones.
    EXPECT_EQ(w.cell("L2A", 21)->x(), w.cell("L2A", 1)->x());
    EXPECT_GT(w.cell("L2A", 21)->y(), w.cell("L2A", 20)->y());
    EXPECT_GT(w.cell("L2H", 1)->y(), w.cell("L2A", 40)->y());

    w.show_tab(2);
    expect_buttons({{"UDC_UP", "<<"}, {"UDC_NEXT", ">>"}, {"MAP_Clear", "Clear"}});
    expect_shown_labels(
        {"User Defined Character  1", "0x", "(Hex)", "Range : 0x20~0x7E", "Max Characters = 9"});
    for (int column = 1; column <= 5; ++column) {
        for (int row = 0; row < 7; ++row) {
            QWidget* dot = w.element(("map" + std::to_string(column)).c_str(), row);
            EXPECT_TRUE(dot->isVisible());
            EXPECT_EQ(dot->width(), dot->height());
        }
    }

    w.show_tab(3);
    expect_buttons({{"TestSend", "Send"}, {"TestClear", "Clear"}, {"TestBrightness", "Set"}});
    expect_shown_labels({"Line 1 :", "Line 2 :", "Brightness :", "Command set :", "Outcome :"});
    // Each caption ends before its control begins.
    for (const char* name : {"TestLine1", "TestLine2", "TestLevel", "TestCommand"}) {
        QWidget* control = w.named(name);
        for (auto* label : control->parentWidget()->findChildren<QLabel*>())
            if (label->isVisible() && label->y() == control->y() && label->x() < control->x())
                EXPECT_LE(label->x() + label->width(), control->x()) << name;
    }

    // About 474 x 528 pixels at 96 dots per inch: the "Welcome Msg" tab ends in a row for the
    // note on the lines' characters and "Add Missing Characters".
    const qreal dpi = w.window->logicalDpiX();
    EXPECT_NEAR(w.window->width(), 7110 * dpi / 1440, 1);
    EXPECT_NEAR(w.window->height(), 7920 * dpi / 1440, 1);
}

TEST_F(MainWindowTest, StartsOnTheFirstTabWithTheFactorySettingsAndNoPortOpen) {
    EXPECT_EQ(w.named<QTabWidget>("SSTab1")->currentIndex(), 0);
    const std::pair<const char*, const char*> lists[] = {
        {"Char", "US English (CP-437)  (Default)"},
        {"Command", "EPSON (Default)"},
        {"BaudRate", "9600,n,8,1 (Default)"},
        {"Passthru", "None     (Default)"},
        {"Comm", "Com 1"},
        {"Baud", "9600,n,8,1"},
    };
    for (const auto& [name, text] : lists)
        EXPECT_EQ(w.named<QComboBox>(name)->currentText(), QString(text)) << name;
    EXPECT_EQ(w.named<QComboBox>("Char")->count(), 36);
    EXPECT_EQ(w.named<QComboBox>("Comm")->count(), 8);
    for (const char* pick_only : {"Char", "Command", "BaudRate", "Passthru"})
        EXPECT_FALSE(w.named<QComboBox>(pick_only)->isEditable()) << pick_only;
    EXPECT_TRUE(w.named<QComboBox>("Comm")->isEditable());
    EXPECT_TRUE(w.named<QComboBox>("Baud")->isEditable());

    w.show_tab(1);
    EXPECT_TRUE(ascii_shown(1));
    EXPECT_TRUE(ascii_shown(2));
    EXPECT_EQ(shown_cells(1), characters("*VFD DISPLAY ORBIT *", 20));
    EXPECT_EQ(shown_cells(2), characters("**HAVE A NICE DAY AND THANK YOU**", 40));
    for (int k = 1; k <= 40; ++k) {
        EXPECT_FALSE(w.cell("L2H", k)->isVisible());
        EXPECT_EQ(w.text("L2H", k), "");
    }
    EXPECT_TRUE(w.element("Label_L2A1", 9)->isVisible());
    EXPECT_FALSE(w.element("Label_L2H1", 9)->isVisible());

    w.show_tab(2);
    EXPECT_EQ(w.named<QLabel>("UDC_label")->text(), QString("User Defined Character  1"));
    EXPECT_EQ(w.named<QLineEdit>("UDC_TEXT")->text(), QString());
    const QColor unlit = w.window->palette().color(QPalette::Button);
    for (int column = 1; column <= 5; ++column)
        for (int row = 0; row < 7; ++row)
            EXPECT_EQ(dot_colour(column, row), unlit) << column << "," << row;

    EXPECT_EQ(fake.port.opens, 0);
    EXPECT_TRUE(fake.boxes.shown.empty());
}

TEST_F(MainWindowTest, CellsTakeOneOrTwoCharactersAndKeepTheFocus) {
    w.show_tab(1);
    QLineEdit* a = w.cell("L2A", 35);
    w.type_over(a, "xyz");
    EXPECT_EQ(a->text(), "x");
    EXPECT_EQ(QApplication::focusWidget(), a);

    w.click("Op_L2H");
    QLineEdit* h = w.cell("L2H", 36);
    w.type_over(h, "7E9");
    EXPECT_EQ(h->text(), "7E");
    EXPECT_EQ(QApplication::focusWidget(), h);

    w.show_tab(2);
    QLineEdit* code = w.named<QLineEdit>("UDC_TEXT");
    w.type_over(code, "414");
    EXPECT_EQ(code->text(), "41");
}

TEST_F(MainWindowTest, TabMovesThroughTheCellsInIndexOrder) {
    w.show_tab(1);
    QLineEdit* cell = w.cell("L2A", 1);
    cell->setFocus();
    for (int k = 2; k <= 40; ++k) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), w.cell("L2A", k)) << k;
    }
}

TEST_F(MainWindowTest, EditedCellsTravelBetweenTheViews) {
    w.show_tab(1);
    w.type_over(w.cell("L1A", 1), "a");
    w.type_over(w.cell("L1A", 2), "");
    w.click("Op_L1H");

    EXPECT_FALSE(ascii_shown(1));
    QStringList expected = shown_cells(1);
    EXPECT_EQ(expected.mid(0, 4), (QStringList{"61", "", "46", "44"}));
    EXPECT_FALSE(w.cell("L1A", 1)->isVisible());
    EXPECT_EQ(w.text("L1A", 1), "");
    EXPECT_TRUE(w.element("Label_L1H1", 4)->isVisible());
    EXPECT_FALSE(w.element("Label_L1A1", 4)->isVisible());

    // A one-digit code is the high digit; a non-digit counts as 0.
    w.type_over(w.cell("L1H", 2), "4");
    w.type_over(w.cell("L1H", 3), "G1");
    w.type_over(w.cell("L1H", 4), "00");
    w.click("Op_L1A");
    EXPECT_TRUE(ascii_shown(1));
    EXPECT_EQ(shown_cells(1).mid(0, 5), (QStringList{"a", "@", "\x01", "", " "}));
    EXPECT_FALSE(w.cell("L1H", 1)->isVisible());

    // Choosing the view already shown converts nothing.
    w.click("Op_L1A");
    EXPECT_EQ(shown_cells(1).mid(0, 5), (QStringList{"a", "@", "\x01", "", " "}));
    // The other line never moved.
    EXPECT_EQ(shown_cells(2), characters("**HAVE A NICE DAY AND THANK YOU**", 40));
}

// The dots a preview shows, row by row, with the codes hatched for want of a glyph.
std::vector<std::string> dots_of(const DotPreview& preview) {
    std::vector<std::string> out;
    for (const auto& row : preview.rows)
        for (const auto& text : dot_texts(row))
            out.push_back(text);
    for (const auto& missing : preview.missing)
        out.push_back("missing " + std::to_string(missing.code));
    return out;
}

TEST_F(MainWindowTest, ThePreviewIsRedrawnOnEveryKindOfChangeAndChangesNothing) {
    const SettingsImage image_at_start = w.window->editor().image;
    w.show_tab(1);
    auto* panel = w.named<ui::PreviewPanel>("Preview");
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->accessibleName(), QString("Display preview"));
    EXPECT_TRUE(w.named<QLabel>("PreviewNote")->isVisible());
    const auto cell = [&](int row, int k) { return panel->shown().rows[row][k - 1]; };
    // What the panel shows is always the preview of the editor as it stands.
    const auto shows_the_editor = [&] {
        return dots_of(panel->shown()) ==
               dots_of(render_preview(preview_image(w.window->editor())));
    };
    const auto dots_before = [&] { return dots_of(panel->shown()); };

    EXPECT_EQ(cell(0, 1).code, '*');
    EXPECT_EQ(cell(2, 11).code, 'U'); // cell 31 of line 2, in the display's second row
    EXPECT_TRUE(shows_the_editor());

    auto before = dots_before();
    w.type_over(w.cell("L1A", 2), "A");
    EXPECT_EQ(cell(0, 2).code, 'A');
    EXPECT_EQ(cell(0, 2).look, CellLook::Glyph);
    EXPECT_NE(dots_of(panel->shown()), before);
    EXPECT_TRUE(shows_the_editor());

    // A single hex digit shifts every later digit of the line until the view turns it into
    // a whole code.
    w.click("Op_L1H");
    w.type_over(w.cell("L1H", 1), "4");
    EXPECT_EQ(cell(0, 1).code, 0x44);
    before = dots_before();
    w.click("Op_L1A");
    EXPECT_EQ(cell(0, 1).code, 0x40);
    EXPECT_EQ(cell(0, 2).code, 'A');
    EXPECT_NE(dots_of(panel->shown()), before);
    EXPECT_TRUE(shows_the_editor());

    // The code page: the same code, another glyph (a box corner, then the euro sign).
    w.click("Op_L2H");
    w.type_over(w.cell("L2H", 1), "D5");
    const DotGrid in_437 = cell(1, 1).dots;
    w.show_tab(0);
    auto* code_page = w.named<QComboBox>("Char");
    code_page->setFocus();
    QTest::keyClick(code_page, Qt::Key_End);
    EXPECT_NE(w.window->editor().model.code_page.index, 0);
    EXPECT_NE(cell(1, 1).dots, in_437);
    EXPECT_TRUE(shows_the_editor());
    QTest::keyClick(code_page, Qt::Key_Home);
    EXPECT_EQ(cell(1, 1).dots, in_437);

    // A code without a glyph is hatched and named to the operator.
    EXPECT_EQ(panel->toolTip(), QString("Every code has its glyph."));
    w.show_tab(1);
    w.type_over(w.cell("L2H", 2), "01");
    EXPECT_EQ(cell(1, 2).look, CellLook::Missing);
    EXPECT_EQ(panel->toolTip(), QString("Drawn hatched, no glyph in this code page: 0x01"));
    EXPECT_EQ(panel->accessibleDescription(), panel->toolTip());

    // The character being drawn shows over its code at once, before any step stores it.
    w.show_tab(2);
    w.type_over(w.named<QLineEdit>("UDC_TEXT"), "41");
    EXPECT_EQ(cell(0, 2).look, CellLook::UserDefined);
    EXPECT_EQ(cell(0, 2).dots, DotGrid{});
    w.click(w.element<QAbstractButton>("map1", 0));
    EXPECT_TRUE(cell(0, 2).dots.lit(1, 0));
    EXPECT_TRUE(shows_the_editor());
    w.type_over(w.named<QLineEdit>("UDC_TEXT"), "4");
    EXPECT_EQ(cell(0, 2).look, CellLook::Glyph);       // 0x04 is no valid code: the slot stays
    w.type_over(w.named<QLineEdit>("UDC_TEXT"), "2A"); // "*" closes line 1
    EXPECT_EQ(cell(0, 20).look, CellLook::UserDefined);
    EXPECT_EQ(cell(0, 2).look, CellLook::Glyph);

    // None of it reached the image, moved a line's view or emptied the code box.
    const Editor& editor = w.window->editor();
    EXPECT_EQ(editor.image, image_at_start);
    EXPECT_TRUE(editor.model.line1.characters_shown());
    EXPECT_TRUE(editor.model.line2.hex_shown());
    EXPECT_EQ(editor.model.line2.hex[1], "D5");
    EXPECT_EQ(editor.model.line2.hex[2], "01");
    EXPECT_EQ(editor.model.character_code, "2A");
    EXPECT_TRUE(fake.boxes.shown.empty());
}

TEST_F(MainWindowTest, ClearEmptiesOnlyTheShownView) {
    w.show_tab(1);
    w.click("Op_L2H");
    w.click("CLR_MSG2");
    EXPECT_EQ(shown_cells(2), QStringList(40, QString()));
    EXPECT_FALSE(ascii_shown(2));
    w.click("Op_L2A");
    EXPECT_EQ(shown_cells(2), QStringList(40, QString()));

    w.click("CLR_MSG1");
    EXPECT_EQ(shown_cells(1), QStringList(20, QString()));
    EXPECT_TRUE(ascii_shown(1));
}

TEST_F(MainWindowTest, DotsToggleAndTheCharactersStep) {
    w.show_tab(2);
    const QColor lit = w.window->palette().color(QPalette::WindowText);
    const QColor unlit = w.window->palette().color(QPalette::Button);
    ASSERT_NE(lit, unlit);

    w.click(w.element<QAbstractButton>("map3", 6));
    w.click(w.element<QAbstractButton>("map1", 0));
    w.click(w.element<QAbstractButton>("map1", 0));
    EXPECT_EQ(dot_colour(3, 6), lit);
    EXPECT_EQ(dot_colour(1, 0), unlit);

    w.type_over(w.named<QLineEdit>("UDC_TEXT"), "41");
    w.click("UDC_NEXT");
    EXPECT_EQ(w.named<QLabel>("UDC_label")->text(), QString("User Defined Character 2"));
    EXPECT_EQ(w.named<QLineEdit>("UDC_TEXT")->text(), QString());
    EXPECT_EQ(dot_colour(3, 6), unlit);

    w.click("UDC_UP");
    EXPECT_EQ(w.named<QLabel>("UDC_label")->text(), QString("User Defined Character 1"));
    EXPECT_EQ(w.named<QLineEdit>("UDC_TEXT")->text(), QString("41"));
    EXPECT_EQ(dot_colour(3, 6), lit);

    w.click("MAP_Clear");
    EXPECT_EQ(dot_colour(3, 6), unlit);
    EXPECT_EQ(w.named<QLineEdit>("UDC_TEXT")->text(), QString("41"));
    EXPECT_TRUE(fake.boxes.shown.empty());
}

TEST_F(MainWindowTest, DotsTellAssistiveTechnologyWhereTheyAreAndWhetherTheyAreLit) {
    w.show_tab(2);
    auto dot = [&](int column, int row) {
        return w.element<QAbstractButton>(("map" + std::to_string(column)).c_str(), row);
    };
    auto accessible = [&](int column, int row) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(dot(column, row));
        EXPECT_NE(face, nullptr);
        return face;
    };
    for (int column = 1; column <= 5; ++column) {
        for (int row = 0; row < 7; ++row) {
            QAccessibleInterface* face = accessible(column, row);
            ASSERT_NE(face, nullptr);
            EXPECT_EQ(face->text(QAccessible::Name),
                      QString("row %1, column %2").arg(row + 1).arg(column));
            EXPECT_TRUE(face->state().checkable);
            EXPECT_FALSE(face->state().checked);
        }
    }

    w.click(dot(2, 4));
    EXPECT_TRUE(accessible(2, 4)->state().checked);
    EXPECT_TRUE(w.window->editor().model.character_dots.lit(2, 4));

    // Its own toggle action goes through the editor like a click, both ways.
    QAccessibleActionInterface* actions = accessible(5, 6)->actionInterface();
    ASSERT_NE(actions, nullptr);
    ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    actions->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(w.window->editor().model.character_dots.lit(5, 6));
    EXPECT_TRUE(accessible(5, 6)->state().checked);
    actions->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_FALSE(w.window->editor().model.character_dots.lit(5, 6));
    EXPECT_FALSE(accessible(5, 6)->state().checked);

    // The state follows the dot when the editor changes it.
    w.type_over(w.named<QLineEdit>("UDC_TEXT"), "41");
    w.click("UDC_NEXT");
    EXPECT_FALSE(accessible(2, 4)->state().checked);
    w.click("UDC_UP");
    EXPECT_TRUE(accessible(2, 4)->state().checked);
    w.click("MAP_Clear");
    EXPECT_FALSE(accessible(2, 4)->state().checked);
}

TEST_F(MainWindowTest, ArrowKeysMoveAcrossTheGridAndSpaceTogglesADot) {
    w.show_tab(2);
    auto dot = [&](int column, int row) {
        return w.element<QAbstractButton>(("map" + std::to_string(column)).c_str(), row);
    };
    auto press = [&](Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); };
    dot(1, 0)->setFocus();

    // At an edge the focus stays in the grid.
    press(Qt::Key_Left);
    press(Qt::Key_Up);
    EXPECT_EQ(QApplication::focusWidget(), dot(1, 0));
    press(Qt::Key_Right);
    press(Qt::Key_Right);
    EXPECT_EQ(QApplication::focusWidget(), dot(3, 0));
    for (int row = 1; row <= 7; ++row)
        press(Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), dot(3, 6));
    press(Qt::Key_Up);
    press(Qt::Key_Left);
    EXPECT_EQ(QApplication::focusWidget(), dot(2, 5));

    press(Qt::Key_Space);
    EXPECT_TRUE(w.window->editor().model.character_dots.lit(2, 5));
    EXPECT_TRUE(dot(2, 5)->isChecked());
    press(Qt::Key_Space);
    EXPECT_FALSE(w.window->editor().model.character_dots.lit(2, 5));
    EXPECT_FALSE(dot(2, 5)->isChecked());
    EXPECT_EQ(QApplication::focusWidget(), dot(2, 5));
}

TEST_F(MainWindowTest, AControlCodeIsShownAndStaysTheCodeItIs) {
    w.show_tab(1);
    w.click("Op_L1H");
    w.type_over(w.cell("L1H", 1), "01");
    w.type_over(w.cell("L1H", 2), "00");
    w.type_over(w.cell("L1H", 3), "00");
    w.type_over(w.cell("L1H", 4), "1F");
    w.click("Op_L1A"); // and the focus leaves the cells, so no cursor is drawn in them
    auto looks = [&](int k) { return w.cell("L1A", k)->grab().toImage(); };

    const MessageLine& line = w.window->editor().model.line1;
    EXPECT_EQ(line.chars[1], "\x01");
    EXPECT_EQ(w.text("L1A", 1), "\x01");
    ASSERT_TRUE(looks(2) == looks(3)) << "two empty cells look alike";
    EXPECT_FALSE(looks(1) == looks(2)) << "01 looks like an empty cell";
    EXPECT_FALSE(looks(4) == looks(2)) << "1F looks like an empty cell";
    EXPECT_FALSE(looks(1) == looks(4)) << "01 and 1F look alike";

    w.type_over(w.cell("L1A", 1), "x");
    EXPECT_EQ(line.chars[1], "x");
    w.type_over(w.cell("L1A", 4), "");
    EXPECT_EQ(line.chars[4], "");
    w.click("Op_L1A");
    EXPECT_TRUE(looks(4) == looks(2)) << "a cleared cell looks empty";
}

TEST_F(MainWindowTest, TheCellsFollowCharAndAddMissingCharactersDrawsWhatThePageLacks) {
    const auto choose_code_page = [&](int index) {
        w.show_tab(0);
        auto* list = w.named<QComboBox>("Char");
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Home);
        for (int i = 0; i < index; ++i)
            QTest::keyClick(list, Qt::Key_Down);
        EXPECT_EQ(w.window->editor().model.code_page.index, index);
        w.show_tab(1);
    };
    const auto line1_bytes = [&] {
        const auto image = preview_image(w.window->editor());
        return std::vector<std::uint8_t>(image.begin() + position::welcome_line1 - 1,
                                         image.begin() + position::welcome_line1 + 7);
    };
    // Typed as a keyboard of that language types it; QTest types ASCII keys only.
    const auto type_over = [&](int k, const QString& text) {
        QLineEdit* cell = w.cell("L1A", k);
        QTest::mouseClick(cell, Qt::LeftButton);
        cell->selectAll();
        if (text.isEmpty())
            cell->del();
        else
            cell->insert(text);
    };

    choose_code_page(30);
    auto* panel = w.named<ui::PreviewPanel>("Preview");
    const QString privet = QString::fromUtf8("\u041F\u0440\u0438\u0432\u0435\u0442");
    for (int k = 1; k <= 20; ++k)
        type_over(k, k <= privet.size() ? QString(privet[k - 1]) : QString());
    const std::vector<std::uint8_t> in_866 = {0x8F, 0xE0, 0xA8, 0xA2, 0xA5, 0xE2, 0, 0};
    EXPECT_EQ(line1_bytes(), in_866);
    EXPECT_EQ(panel->shown().rows[0][0].look, CellLook::Glyph);
    EXPECT_EQ(w.named<QLabel>("CharNote")->text(), QString());

    // Under CP-437 the same bytes are other characters.
    choose_code_page(0);
    EXPECT_EQ(w.text("L1A", 1), QString::fromUtf8("\u00C5"));
    EXPECT_EQ(line1_bytes(), in_866);

    // The euro sign is not in CP-437: the cell keeps what it had, the note says so.
    type_over(7, QString::fromUtf8("\u20AC"));
    EXPECT_EQ(w.text("L1A", 7), QString());
    EXPECT_EQ(w.named<QLabel>("CharNote")->text(),
              QString::fromUtf8("\"\u20AC\" is not in US English (CP-437): the cell keeps what it "
                                "had. \"Add Missing Characters\" draws it."));
    w.click("AddMissing");
    EXPECT_EQ(w.named<QLabel>("CharNote")->text(),
              QString::fromUtf8("\u20AC is user-defined character 1, under code 0x7E ~"));
    EXPECT_EQ(w.text("L1A", 7), QString("~"));
    EXPECT_EQ(line1_bytes()[6], 0x7E);
    EXPECT_EQ(panel->shown().rows[0][6].look, CellLook::UserDefined);
    EXPECT_EQ(panel->shown().rows[0][6].dots, sign_dots(0x20AC));
    EXPECT_TRUE(fake.boxes.shown.empty());
}

TEST_F(MainWindowTest, ABadCodeIsReportedAndEmptiedWithoutStepping) {
    w.show_tab(2);
    struct Case {
        const char* typed;
        const char* message;
    };
    for (const Case& c :
         {Case{"G4", "Hex Value Error !!"}, Case{"7F", "Error !! Range is 0x20~0x7E !!"}}) {
        fake.boxes.shown.clear();
        w.type_over(w.named<QLineEdit>("UDC_TEXT"), c.typed);
        w.click("UDC_NEXT");
        ASSERT_EQ(fake.boxes.shown.size(), 1u) << c.typed;
        EXPECT_EQ(fake.boxes.shown[0], (fakes::Box{c.message, "", false}));
        EXPECT_EQ(w.named<QLineEdit>("UDC_TEXT")->text(), QString());
        EXPECT_EQ(w.named<QLabel>("UDC_label")->text(), QString("User Defined Character  1"));
    }
}

TEST_F(MainWindowTest, SaveAndLoadGoThroughTheFileDialog) {
    // The operator changes a list, a cell and character 1, then saves.
    auto* list = w.named<QComboBox>("Char");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_End);
    EXPECT_EQ(list->currentText(), QString("850+Euro Sign at 0xD5 (CP-858)"));
    w.show_tab(1);
    w.type_over(w.cell("L1A", 1), "Q");
    w.show_tab(2);
    w.click(w.element<QAbstractButton>("map2", 3));
    w.type_over(w.named<QLineEdit>("UDC_TEXT"), "41");
    w.click("UDC_NEXT");

    fake.dialog.answers.push_back({"/home/op/shop.vfd", "shop.vfd"});
    w.click("Save");
    ASSERT_EQ(fake.files.files.count("/home/op/shop.vfd"), 1u);
    const auto& saved = fake.files.files["/home/op/shop.vfd"];
    ASSERT_EQ(saved.size(), 126u);
    EXPECT_EQ(saved[4 - 1], 35);
    EXPECT_EQ(saved[7 - 1], 'Q');
    EXPECT_EQ(saved[8 - 1], 'V');
    EXPECT_EQ(saved[69 - 1], 0x41);
    EXPECT_EQ(saved[71 - 1], 1 << 3); // column 2, row 3
    w.show_tab(1);
    EXPECT_TRUE(ascii_shown(1));
    EXPECT_EQ(w.text("L1A", 1), "Q");

    w.click("SetAllDefault");
    EXPECT_EQ(list->currentText(), QString("US English (CP-437)  (Default)"));
    EXPECT_EQ(w.text("L1A", 1), "*");

    // A load the operator cancels at the question changes nothing.
    fake.boxes.confirm_answer = false;
    fake.dialog.answers.push_back({"/home/op/shop.vfd", "shop.vfd"});
    w.click("Load");
    EXPECT_EQ(w.text("L1A", 1), "*");

    fake.boxes.confirm_answer = true;
    fake.dialog.answers.push_back({"/home/op/shop.vfd", "shop.vfd"});
    w.click("Load");
    const fakes::Box question{"Are you sure to Load ?", "Load File", true};
    EXPECT_EQ(fake.boxes.shown, (std::vector<fakes::Box>{question, question}));
    EXPECT_EQ(list->currentText(), QString("850+Euro Sign at 0xD5 (CP-858)"));
    EXPECT_EQ(w.text("L1A", 1), "Q");
    EXPECT_TRUE(ascii_shown(1));
    w.show_tab(2);
    EXPECT_EQ(w.named<QLabel>("UDC_label")->text(), QString("User Defined Character  1"));
    EXPECT_EQ(w.named<QLineEdit>("UDC_TEXT")->text(), QString("41"));
    EXPECT_EQ(dot_colour(2, 3), w.window->palette().color(QPalette::WindowText));
}

// A transfer against the scripted display: the window waits under the busy cursor, which is
// gone again once the command has ended.
struct TransferTest : MainWindowTest {
    fakes::ScriptedDisplay display{fake.port};
    std::vector<Qt::CursorShape> cursor_at_box;

    TransferTest() {
        fake.boxes.on_show = [this] {
            const QCursor* cursor = QGuiApplication::overrideCursor();
            cursor_at_box.push_back(cursor ? cursor->shape() : Qt::ArrowCursor);
            EXPECT_FALSE(fake.port.is_open()) << "a box was shown with the port open";
        };
    }
};

TEST_F(TransferTest, WriteSendsTheEditedSettingsThroughTheButton) {
    w.show_tab(1);
    w.type_over(w.cell("L1A", 1), "Q");
    w.click("Op_L2H");
    w.click("Download");

    ASSERT_TRUE(display.stored.has_value());
    const auto& stored = *display.stored;
    EXPECT_EQ(stored[7 - 1], 'Q');
    EXPECT_EQ(stored[27 - 1], '*');
    EXPECT_EQ(stored[6 - 1], 1); // "EPSON (Default)"
    EXPECT_EQ(fake.boxes.texts(), (std::vector<std::string>{download_successful}));
    EXPECT_EQ(cursor_at_box, (std::vector<Qt::CursorShape>{Qt::WaitCursor}));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    // Both lines are back in the character view, line 2 included.
    EXPECT_TRUE(ascii_shown(1));
    EXPECT_TRUE(ascii_shown(2));
    EXPECT_EQ(shown_cells(2), characters("**HAVE A NICE DAY AND THANK YOU**", 40));
}

TEST_F(TransferTest, ASilentDisplayEndsTheWriteWithItsMessage) {
    display.check_answer.clear();
    w.click("Download");
    EXPECT_FALSE(display.stored.has_value());
    EXPECT_EQ(fake.boxes.texts(), (std::vector<std::string>{download_fail}));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(TransferTest, ReadShowsTheDisplaysSettingsButKeepsTheCharacterPage) {
    w.show_tab(2);
    w.type_over(w.named<QLineEdit>("UDC_TEXT"), "5A");
    w.click(w.element<QAbstractButton>("map4", 1));

    ImageBytes payload{};
    at_position(payload, position::code_page) = 35;
    const std::string hello = "HELLO";
    std::copy(hello.begin(), hello.end(), &at_position(payload, position::welcome_line1));
    at_position(payload, position::udc_table) = 0x41;
    display.reply = fakes::ScriptedDisplay::reply_of(payload);
    w.click("GetSetting");

    EXPECT_EQ(fake.boxes.texts(), (std::vector<std::string>{upload_ok}));
    EXPECT_EQ(cursor_at_box, (std::vector<Qt::CursorShape>{Qt::WaitCursor}));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(w.named<QComboBox>("Char")->currentText(), QString("850+Euro Sign at 0xD5 (CP-858)"));
    EXPECT_EQ(w.named<QLineEdit>("UDC_TEXT")->text(), QString("5A"));
    EXPECT_EQ(dot_colour(4, 1), w.window->palette().color(QPalette::WindowText));
    w.show_tab(1);
    EXPECT_EQ(shown_cells(1), characters("HELLO", 20));
}

TEST_F(MainWindowTest, TypedPortNamesAndPicksReachTheHostSettings) {
    w.window->preset_port("/dev/pts/7");
    EXPECT_EQ(w.named<QComboBox>("Comm")->currentText(), QString("/dev/pts/7"));
    EXPECT_EQ(w.window->editor().model.host_port.text(), "/dev/pts/7");
    EXPECT_EQ(w.window->editor().model.host_port.index, -1);

    auto* baud = w.named<QComboBox>("Baud");
    baud->setFocus();
    QTest::keyClick(baud, Qt::Key_Down);
    EXPECT_EQ(w.window->editor().model.host_line.text(), "19200,n,8,1");
    EXPECT_EQ(w.window->editor().model.host_line.index, 1);

    w.type_over(w.named<QComboBox>("Comm")->lineEdit(), "Com 3");
    EXPECT_EQ(w.window->editor().model.host_port.index, 2);
    EXPECT_EQ(w.named<QComboBox>("Comm")->count(), 8);
}

TEST_F(MainWindowTest, ClosingClosesAnOpenPortAndAsksNothing) {
    ASSERT_FALSE(fake.port.open());
    EXPECT_TRUE(w.window->close());
    EXPECT_FALSE(fake.port.is_open());
    EXPECT_EQ(fake.port.closes, 1);
    EXPECT_TRUE(fake.boxes.shown.empty());
}

TEST_F(MainWindowTest, ClosingWithThePortClosedDoesNothingFurther) {
    EXPECT_TRUE(w.window->close());
    EXPECT_EQ(fake.port.opens, 0);
    EXPECT_EQ(fake.port.closes, 0);
    EXPECT_TRUE(fake.boxes.shown.empty());
}

// Help on the real desktop shell, with the viewer caught.
struct HelpTest : ::testing::Test {
    HelpTest() { QDir::setCurrent(start.path()); }
    ~HelpTest() override { QDir::setCurrent(previous); }

    void put_document(const QString& folder) {
        QFile document(folder + "/Vela Pole Display.pdf");
        ASSERT_TRUE(document.open(QIODevice::WriteOnly));
    }

    QApplication& app = testing::qt_application();
    const QString previous = QDir::currentPath();
    QTemporaryDir start;
    QTemporaryDir elsewhere;
    fakes::FakeServices fake;
    QtShell desktop;
    Services services{fake.port,  fake.clock,  fake.events, fake.calendar,
                      fake.boxes, fake.dialog, fake.files,  desktop};
    testing::UrlRecorder viewer{"file"};
};

TEST_F(HelpTest, OpensTheDocumentOfTheStartUpFolder) {
    put_document(start.path());
    Window w(services);
    w.click("Help");
    ASSERT_EQ(viewer.urls.size(), 1);
    EXPECT_EQ(viewer.urls[0], QUrl::fromLocalFile(start.filePath("Vela Pole Display.pdf")));
}

TEST_F(HelpTest, ShowsNothingWhenTheDocumentIsMissing) {
    Window w(services);
    w.click("Help");
    EXPECT_TRUE(viewer.urls.isEmpty());
    EXPECT_TRUE(fake.boxes.shown.empty());
    EXPECT_EQ(w.named<QTabWidget>("SSTab1")->currentIndex(), 0);
    int shown = 0;
    for (QWidget* top : QApplication::topLevelWidgets())
        shown += top->isVisible();
    EXPECT_EQ(shown, 1);
}

TEST_F(HelpTest, KeepsLookingInTheStartUpFolderAfterTheWorkingFolderChanged) {
    Window w(services);
    put_document(elsewhere.path());
    QDir::setCurrent(elsewhere.path());
    w.click("Help");
    EXPECT_TRUE(viewer.urls.isEmpty());

    put_document(start.path());
    w.click("Help");
    ASSERT_EQ(viewer.urls.size(), 1);
    EXPECT_EQ(viewer.urls[0], QUrl::fromLocalFile(start.filePath("Vela Pole Display.pdf")));
}

} // namespace
} // namespace pds
