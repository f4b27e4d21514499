// The window on the real serial adapter, clock and event loop, against the virtual display:
// a read and a write through the buttons, as the operator does them.
#include "window_fixture.h"

#include "adapters/posix/termination_guard.h"
#include "adapters/qt/qt_calendar.h"
#include "adapters/qt/qt_clock.h"
#include "adapters/qt/qt_event_pump.h"
#include "adapters/qt/qt_serial_port.h"
#include "commands/read_from_display.h"
#include "commands/write_to_display.h"
#include "virtual_display_process.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QMetaObject>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <functional>
#include <span>
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
    // Character 1 stored under 7E, one dot in column 1, row 0.
    at_position(image, position::udc_table) = 0x7E;
    at_position(image, position::udc_table + 1) = 0x01;
    return image;
}

// The real adapter, telling the test when an unbroken run begins and how many bytes it took.
class WatchedPort : public QtSerialPort {
public:
    void begin_unbroken() override {
        QtSerialPort::begin_unbroken();
        in_run = true;
        if (on_begin)
            on_begin();
    }
    void end_unbroken() override {
        in_run = false;
        QtSerialPort::end_unbroken();
    }
    void queue(std::span<const std::uint8_t> bytes) override {
        if (in_run)
            sent_in_run += static_cast<int>(bytes.size());
        QtSerialPort::queue(bytes);
    }

    std::function<void()> on_begin;
    std::atomic<bool> in_run = false;
    std::atomic<int> sent_in_run = 0;
};

struct WindowTransferTest : ::testing::Test {
    QApplication& app = testing::qt_application();
    WatchedPort port;
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

// The image the start-up window writes over what the display held: no read came first.
ImageBytes written_by_fresh_window(const testing::Window& w) {
    return w.window->editor().image.payload();
}

TEST_F(WindowTransferTest, ClosingTheWindowDuringAWriteLetsTheImageFinish) {
    ASSERT_TRUE(display.started());
    testing::Window w(services);
    w.type_over(w.named<QComboBox>("Comm")->lineEdit(), QString::fromStdString(display.device()));
    port.on_begin = [&] {
        QMetaObject::invokeMethod(
            w.window.get(), [&] { w.window->close(); }, Qt::QueuedConnection);
    };
    w.click("Download");

    EXPECT_FALSE(w.window->isVisible()) << "the close was obeyed";
    EXPECT_EQ(port.sent_in_run, 1 + image_size) << "after the 0xAA and the whole image";
    ASSERT_TRUE(display.wait_for_output("Stored a new configuration", 3000));
    EXPECT_EQ(display.memory(), written_by_fresh_window(w));
    EXPECT_FALSE(port.is_open());
}

TEST_F(WindowTransferTest, TerminationRequestDuringAWriteWaitsForTheImage) {
    ASSERT_TRUE(display.started());
    std::atomic<int> obeyed = 0;
    std::atomic<int> sent_when_obeyed = -1;
    const TerminationGuard guard([&](int signal) {
        sent_when_obeyed = port.sent_in_run.load();
        obeyed = signal;
    });
    testing::Window w(services);
    w.type_over(w.named<QComboBox>("Comm")->lineEdit(), QString::fromStdString(display.device()));
    port.on_begin = [] { ::raise(SIGTERM); };
    w.click("Download");

    QElapsedTimer waited;
    waited.start();
    while (obeyed == 0 && waited.elapsed() < 5000)
        QThread::msleep(10);
    EXPECT_EQ(obeyed, SIGTERM);
    EXPECT_EQ(sent_when_obeyed, 1 + image_size) << "obeyed only once the image was through";
    ASSERT_TRUE(display.wait_for_output("Stored a new configuration", 3000));
    EXPECT_EQ(display.memory(), written_by_fresh_window(w));
}

// Whether the process catches `signal`, as the system reports it.
bool catches(qint64 pid, int signal) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    return false;
}

TEST(WindowProgram, EndsOnATerminationRequestAsAShellReportsIt) {
    testing::qt_application();
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(WINDOW_PROGRAM), {"--port", "/dev/ttyUSB-not-there"});
    ASSERT_TRUE(program.waitForStarted(10000));
    QElapsedTimer waited;
    waited.start();
    while (!catches(program.processId(), SIGTERM) && waited.elapsed() < 10000)
        QThread::msleep(20);
    ASSERT_TRUE(catches(program.processId(), SIGTERM));
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 143);
}

} // namespace
} // namespace pds
