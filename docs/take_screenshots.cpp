// Takes the README's pictures of the three tabs from the X server the program runs on (Xvfb
// in scripts/screenshots.sh). On the third tab it draws an "A" first, as an operator would.
// Usage: take_screenshots FOLDER
#include "ui/desktop_services.h"
#include "ui/main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QThread>

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
    return 0;
}
