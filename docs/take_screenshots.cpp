// Takes the README's pictures of the three tabs from the X server the program runs on (Xvfb
// in scripts/screenshots.sh). On the third tab it draws an "A" first, as an operator would.
// Then the "Welcome Msg" tab twice more: Cyrillic lines under "Russian (CP-866)", and under
// CP-437 a price with the euro sign, which "Add Missing Characters" draws.
// Then the Comm list opened and the result of Find, over an example list of ports whose last
// is a virtual display at 19200 bit/s. Last the "Test Display" tab after Send to a virtual display.
// Usage: take_screenshots FOLDER
#include "adapters/qt/qt_port_list.h"
#include "ui/desktop_services.h"
#include "ui/main_window.h"
#include "virtual_display_process.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QThread>
#include <QTimer>

#include <cstdio>

namespace {

void settle() {
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
}

void draw_letter_a(QWidget& window) {
    // Rows of an "A" in the 5 x 7 grid, column 1 as the highest bit.
    const int rows[7] = {0b01110, 0b10001, 0b10001, 0b11111, 0b10001, 0b10001, 0b10001};
    for (auto* dot : window.findChildren<QAbstractButton*>()) {
        const QString name = dot->objectName();
        if (!name.startsWith(QLatin1String("map")))
            continue;
        const int column = name.mid(3).toInt();
        const int row = dot->property("index").toInt();
        if (rows[row] & (1 << (5 - column)))
            dot->click();
    }
    auto* code = window.findChild<QLineEdit*>(QStringLiteral("UDC_TEXT"));
    code->setFocus();
    code->insert(QStringLiteral("41"));
}

// Chooses a code page as the operator does: the list reports the choice as activated.
void choose_code_page(QWidget& window, int index) {
    auto* list = window.findChild<QComboBox*>(QStringLiteral("Char"));
    list->setCurrentIndex(index);
    emit list->activated(index);
}

// Types a line into the character cells of line 1 or 2, one character a cell, as typed.
void type_line(QWidget& window, int line, const QString& text) {
    const int cells = line == 1 ? 20 : 40;
    const QString name = QStringLiteral("L%1A").arg(line);
    for (auto* cell : window.findChildren<QLineEdit*>(name)) {
        const int k = cell->property("index").toInt();
        if (k < 1 || k > cells)
            continue;
        cell->setFocus();
        cell->selectAll();
        if (k <= text.size())
            cell->insert(text.mid(k - 1, 1));
        else
            cell->del();
    }
}

bool take_character_pictures(QWidget& window, QTabWidget& tabs, const QDir& folder) {
    tabs.tabBar()->setCurrentIndex(1);
    choose_code_page(window, 30); // Russian (CP-866)
    type_line(window, 1,
              QString::fromUtf8("\u0414\u043E\u0431\u0440\u043E "
                                "\u043F\u043E\u0436\u0430\u043B\u043E\u0432\u0430\u0442\u044C!"));
    type_line(window, 2,
              QString::fromUtf8(
                  "\u0421\u043F\u0430\u0441\u0438\u0431\u043E \u0437\u0430 "
                  "\u043F\u043E\u043A\u0443\u043F\u043A\u0443, "
                  "\u0436\u0434\u0451\u043C \u0432\u0430\u0441 \u0441\u043D\u043E\u0432\u0430"));
    window.findChild<QAbstractButton*>(QStringLiteral("Op_L1A"))->setFocus();
    settle();
    bool saved =
        window.screen()->grabWindow(window.winId()).save(folder.filePath("welcome-cp866.png"));

    choose_code_page(window, 0); // US English (CP-437)
    type_line(window, 1, QStringLiteral("    COFFEE 2.50 ") + QString::fromUtf8("\u20AC"));
    type_line(window, 2,
              QString::fromUtf8("Caf\u00E9 cr\u00E8me 3.20 \u20AC  Th\u00E9 2.10 \u20AC"));
    window.findChild<QAbstractButton*>(QStringLiteral("AddMissing"))->click();
    window.findChild<QAbstractButton*>(QStringLiteral("Op_L1A"))->setFocus();
    settle();
    return window.screen()->grabWindow(window.winId()).save(folder.filePath("welcome-euro.png")) &&
           saved;
}

// The window and whatever stands over it (an open list, a box), from the screen itself.
bool grab_around(QWidget& window, const QWidget* over, const QString& path) {
    QRect area = window.frameGeometry();
    if (over)
        area = area.united(over->frameGeometry());
    return window.screen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .save(path);
}

// Ports as a technician's machine might list them, the virtual display last.
class ExamplePorts : public pds::PortList {
public:
    explicit ExamplePorts(std::string virtual_device) : device(std::move(virtual_device)) {}
    std::vector<pds::SystemPort> ports() override {
        return {
            {"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3XQ2-if00-port0", "/dev/ttyUSB0",
             "FT232R USB UART", "FTDI", 0x0403, 0x6001, "A10K3XQ2"},
            {"/dev/serial/by-id/usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0",
             "/dev/ttyUSB1", "USB-Serial Controller", "Prolific Technology Inc.", 0x067b, 0x2303,
             ""},
            {device, device, "Virtual pole display at 19200 bit/s", "", {}, {}, ""},
        };
    }

private:
    std::string device;
};

bool take_find_pictures(const QDir& folder) {
    pds::display::VirtualDisplayProcess display({"--baud", "19200"});
    if (!display.started())
        return false;
    pds::DesktopServices desktop;
    ExamplePorts examples(display.device());
    pds::Services& d = desktop.services();
    pds::Services services{d.port,   d.clock, d.events, d.calendar, d.boxes,
                           d.dialog, d.files, d.shell,  examples};
    pds::ui::MainWindow window(services);
    desktop.set_window(&window);
    window.move(0, 0);
    window.show();
    settle();

    auto* comm = window.findChild<QComboBox*>(QStringLiteral("Comm"));
    comm->showPopup();
    settle();
    bool saved = grab_around(window, comm->view()->window(), folder.filePath("port-list.png"));
    comm->hidePopup();
    settle();

    // Agrees to the question, pictures the answer and closes it.
    QTimer boxes;
    QObject::connect(&boxes, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        if (box->text().startsWith(QLatin1String("Find sends"))) {
            box->defaultButton()->click();
            return;
        }
        settle();
        saved = grab_around(window, box, folder.filePath("find-result.png")) && saved;
        box->defaultButton()->click();
    });
    boxes.start(200);
    window.findChild<QAbstractButton*>(QStringLiteral("FindPort"))->click();
    boxes.stop();
    settle();
    // Once the box is closed the window shows what Find selected.
    return grab_around(window, nullptr, folder.filePath("find-selected.png")) && saved;
}

// The "Test Display" tab after Send, against a virtual display.
bool take_test_picture(const QDir& folder) {
    pds::ImageBytes configuration{};
    pds::at_position(configuration, pds::position::command_set) = 1; // EPSON
    pds::display::VirtualDisplayProcess display({}, configuration);
    if (!display.started())
        return false;
    pds::DesktopServices desktop;
    pds::ui::MainWindow window(desktop.services());
    desktop.set_window(&window);
    window.preset_port(display.device());
    window.move(0, 0);
    window.show();
    settle();
    window.findChild<QTabWidget*>(QStringLiteral("SSTab1"))->tabBar()->setCurrentIndex(3);
    settle();
    auto* line2 = window.findChild<QLineEdit*>(QStringLiteral("TestLine2"));
    line2->setFocus();
    line2->selectAll();
    line2->insert(QStringLiteral("  COFFEE      2.50"));
    window.findChild<QAbstractButton*>(QStringLiteral("TestSend"))->click();
    settle();
    return window.screen()
        ->grabWindow(window.winId())
        .save(folder.filePath("tab-test-display.png"));
}

// The box a failed read shows, with what stands in the port's way and its fix: a port another
// program holds open.
bool take_port_failure_picture(const QDir& folder) {
    pds::display::VirtualDisplayProcess display;
    if (!display.started())
        return false;
    QProcess holder;
    holder.setStandardInputFile(QString::fromStdString(display.device()));
    holder.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    if (!holder.waitForStarted())
        return false;
    pds::DesktopServices desktop("/proc"); // where the holder shows
    pds::ui::MainWindow window(desktop.services());
    desktop.set_window(&window);
    window.preset_port(display.device());
    window.move(0, 0);
    window.show();
    settle();
    bool saved = false;
    QTimer boxes;
    QObject::connect(&boxes, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        settle();
        saved = grab_around(window, box, folder.filePath("port-failure-fix.png"));
        box->accept();
    });
    boxes.start(200);
    window.findChild<QAbstractButton*>(QStringLiteral("GetSetting"))->click();
    boxes.stop();
    holder.kill();
    holder.waitForFinished();
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: take_screenshots FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));

    pds::DesktopServices desktop;
    pds::ui::MainWindow window(desktop.services());
    desktop.set_window(&window);
    window.move(0, 0);
    window.show();
    settle();

    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("SSTab1"));
    const char* files[] = {"tab-command-setting.png", "tab-welcome-msg.png",
                           "tab-user-defined-character.png"};
    for (int i = 0; i < 3; ++i) {
        tabs->tabBar()->setCurrentIndex(i);
        settle();
        if (i == 2) {
            draw_letter_a(window);
            settle();
        }
        const QPixmap shot = window.screen()->grabWindow(window.winId());
        if (!shot.save(folder.filePath(QString::fromLatin1(files[i])))) {
            std::fprintf(stderr, "take_screenshots: cannot write %s\n", files[i]);
            return 1;
        }
    }
    if (!take_character_pictures(window, *tabs, folder)) {
        std::fprintf(stderr, "take_screenshots: cannot take the pictures of the characters\n");
        return 1;
    }
    window.hide();
    if (!take_find_pictures(folder)) {
        std::fprintf(stderr, "take_screenshots: cannot take the pictures of Find\n");
        return 1;
    }
    if (!take_test_picture(folder)) {
        std::fprintf(stderr, "take_screenshots: cannot take the picture of the Test tab\n");
        return 1;
    }
    if (!take_port_failure_picture(folder)) {
        std::fprintf(stderr, "take_screenshots: cannot take the picture of a port's failure\n");
        return 1;
    }
    return 0;
}
