// The window's "Test Display" tab on the real serial adapter, clock and event loop, against
// the virtual display: what its screen shows after Send, Set and Clear.
#include "window_fixture.h"

#include "adapters/qt/qt_calendar.h"
#include "adapters/qt/qt_clock.h"
#include "adapters/qt/qt_event_pump.h"
#include "adapters/qt/qt_serial_port.h"
#include "commands/test_panel.h"
#include "virtual_display_process.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace pds {
namespace {

using display::VirtualDisplayProcess;

ImageBytes configured(int command_set, int code_page) {
    ImageBytes image{};
    at_position(image, position::command_set) = static_cast<std::uint8_t>(command_set);
    at_position(image, position::code_page) = static_cast<std::uint8_t>(code_page);
    return image;
}

// The display's screen file once it ends with `expected`, or what it last read after a while.
QString screen_once(const QString& path, const QString& expected) {
    QElapsedTimer waited;
    waited.start();
    QString text;
    do {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            text = QString::fromUtf8(file.readAll());
        if (text.endsWith(expected))
            break;
        QThread::msleep(20);
    } while (waited.elapsed() < 10000);
    return text;
}

QString screen(const QString& line1, const QString& line2, const QString& brightness) {
    return "|" + line1.leftJustified(20) + "|\n|" + line2.leftJustified(20) + "|\nbrightness " +
           brightness + "\n";
}

struct Case {
    const char* set;
    int command_set;
    int code_page;
    QString line2; // typed over the second line
    int level;     // entry of TestLevel, 0 = level 1
    QString level_byte;
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.set; }

struct WindowTestTabTest : ::testing::TestWithParam<Case> {
    QApplication& app = testing::qt_application();
    QtSerialPort port;
    QtClock clock;
    QtEventPump events;
    QtCalendar calendar;
    fakes::RecordedBoxes boxes;
    fakes::ScriptedDialog dialog;
    fakes::MemoryFiles files;
    fakes::RecordedShell shell;
    Services services{port, clock, events, calendar, boxes, dialog, files, shell};
    QTemporaryDir folder;
    QString screen_path = folder.filePath("screen.txt");
};

TEST_P(WindowTestTabTest, SendSetAndClearShowOnTheDisplaysScreen) {
    const Case& c = GetParam();
    VirtualDisplayProcess display({"--screen-file", screen_path},
                                  configured(c.command_set, c.code_page));
    ASSERT_TRUE(display.started());
    testing::Window w(services);
    w.type_over(w.named<QComboBox>("Comm")->lineEdit(), QString::fromStdString(display.device()));

    w.show_tab(test_tab);
    auto* line1 = w.named<QLineEdit>("TestLine1");
    EXPECT_EQ(line1->text(), "*VFD DISPLAY ORBIT *") << "taken from the welcome line";
    EXPECT_EQ(w.named<QComboBox>("TestCommand")->currentText(), "As the display reports");
    EXPECT_FALSE(w.named<QAbstractButton>("TestBrightness")->isEnabled()) << "no set known yet";
    w.type_over(w.named<QLineEdit>("TestLine2"), c.line2);

    w.click("TestSend");
    EXPECT_EQ(screen_once(screen_path, screen("*VFD DISPLAY ORBIT *", c.line2, "default")),
              screen("*VFD DISPLAY ORBIT *", c.line2, "default"));
    EXPECT_EQ(w.named<QLabel>("TestOutcome")->text(), "The display shows the two lines.");
    EXPECT_TRUE(w.named<QLabel>("TestSetUsed")->text().startsWith(
        QString(c.set) + ", as the display reports"))
        << w.named<QLabel>("TestSetUsed")->text().toStdString();
    EXPECT_TRUE(boxes.texts().empty()) << "the outcome is on the tab, not in a box";

    auto* level = w.named<QComboBox>("TestLevel");
    ASSERT_TRUE(level->isEnabled());
    level->setFocus();
    QTest::keyClick(level, Qt::Key_Home);
    for (int i = 0; i < c.level; ++i)
        QTest::keyClick(level, Qt::Key_Down);
    w.click("TestBrightness");
    EXPECT_EQ(w.named<QLabel>("TestOutcome")->text(),
              QString("Brightness set to level %1.").arg(c.level + 1));
    const QString after_level = screen_once(screen_path, "brightness " + c.level_byte + "\n");
    EXPECT_TRUE(after_level.endsWith("brightness " + c.level_byte + "\n")) << after_level.toStdString();

    w.click("TestClear");
    EXPECT_EQ(screen_once(screen_path, screen("", "", c.level_byte)), screen("", "", c.level_byte));
    EXPECT_EQ(w.named<QLabel>("TestOutcome")->text(), "The display was cleared.");
    EXPECT_FALSE(port.is_open());
    EXPECT_EQ(display.memory(), configured(c.command_set, c.code_page))
        << "the configuration stays as it was";
}

INSTANTIATE_TEST_SUITE_P(
    Sets, WindowTestTabTest,
    ::testing::Values(Case{"EPSON (Default)", 1, 0, "PRICE 1.99", 1, "02"},
                      Case{"CD5220", 7, 0, "PRICE 2.50", 2, "03"}),
    [](const auto& info) { return std::string(info.param.command_set == 1 ? "Epson" : "Cd5220"); });

} // namespace
} // namespace pds
