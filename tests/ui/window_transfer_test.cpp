// The window on the real serial adapter, clock and event loop, against the virtual display:
// a read and a write through the buttons, as the operator does them.
#include "window_fixture.h"

#include "adapters/qt/qt_calendar.h"
#include "adapters/qt/qt_clock.h"
#include "adapters/qt/qt_event_pump.h"
#include "adapters/qt/qt_serial_port.h"
#include "commands/read_from_display.h"
#include "commands/write_to_display.h"
#include "virtual_display_process.h"

#include <QCursor>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pds {
namespace {

using Texts = std::vector<std::string>;
using display::VirtualDisplayProcess;

// What the display holds before the operator reads it.
ImageBytes held_by_display() {
    ImageBytes image{};
    at_position(image, position::code_page) = 14;  // "German (CP-1252)"
    at_position(image, position::command_set) = 7; // "CD5220"
    const std::string line1 = "GUTEN TAG";
    for (std::size_t i = 0; i < line1.size(); ++i)
        at_position(image, position::welcome_line1 + static_cast<int>(i)) =
            static_cast<std::uint8_t>(line1[i]);
    at_position(image, position::udc_table) =
        0x7E; // character 1 stored under 7E, one dot in column 1, row 0
    at_position(image, position::udc_table + 1) = 0x01;
    return image;
}

struct WindowTransferTest : ::testing::Test {
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
    VirtualDisplayProcess display{{}, held_by_display()};
    std::vector<bool> busy_at_box;

    WindowTransferTest() {
        boxes.on_show = [this] {
            EXPECT_FALSE(port.is_open()) << "a box was shown with the port open";
            const QCursor* cursor = QGuiApplication::overrideCursor();
            busy_at_box.push_back(cursor && cursor->shape() == Qt::WaitCursor);
        };
    }
};

TEST_F(WindowTransferTest, ReadThenWriteThroughTheButtons) {
    ASSERT_TRUE(display.started());
    testing::Window w(services);
    // The operator types the device of the virtual display into the port box.
    w.type_over(w.named<QComboBox>("Comm")->lineEdit(), QString::fromStdString(display.device()));

    w.click("GetSetting");
    EXPECT_EQ(boxes.texts(), Texts{upload_ok});
    EXPECT_EQ(w.named<QComboBox>("Char")->currentText(), QString("German (CP-1252)"));
    EXPECT_EQ(w.named<QComboBox>("Command")->currentText(), QString("CD5220"));
    w.show_tab(1);
    EXPECT_EQ(w.text("L1A", 1), "G");
    EXPECT_EQ(w.text("L1A", 9), "G");
    EXPECT_EQ(w.text("L1A", 10), "");

    // The operator changes line 1 and the pass-through mode, then writes.
    w.type_over(w.cell("L1A", 10), "!");
    auto* passthru = w.named<QComboBox>("Passthru");
    w.show_tab(0);
    passthru->setFocus();
    QTest::keyClick(passthru, Qt::Key_End);
    w.click("Download");

    EXPECT_EQ(boxes.texts(), (Texts{upload_ok, download_successful}));
    EXPECT_EQ(busy_at_box, (std::vector<bool>{true, true}));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    const auto memory = display.memory();
    ASSERT_TRUE(memory.has_value());
    ImageBytes expected = held_by_display();
    at_position(expected, position::welcome_line1 + 9) = '!';
    at_position(expected, position::passthru_mode) = 2;
    EXPECT_EQ(*memory, expected) << "the character table read from the display went back as it was";
    EXPECT_FALSE(port.is_open());
}

} // namespace
} // namespace pds
