#include "ui/application.h"

#include "ui/desktop_services.h"
#include "ui/main_window.h"
#include "version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

#include <cstring>

#ifdef Q_OS_UNIX
#include "adapters/posix/termination_guard.h"
#endif

namespace pds::ui {

namespace {

void name_application() {
    QCoreApplication::setApplicationName(QStringLiteral("pole-display-setup"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PDS_VERSION));
}

struct Options {
    QCommandLineParser parser;
    const QCommandLineOption port{
        QStringLiteral("port"),
        QStringLiteral("Puts NAME into the port box, e.g. /dev/ttyUSB0 or /dev/pts/3."),
        QStringLiteral("NAME")};

    Options() {
        parser.setApplicationDescription(
            QStringLiteral("Configures a customer pole display over a serial line."));
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addOption(port);
    }
};

// --help and --version are answered without a desktop, so they work over a plain terminal.
bool asks_for_help_or_version(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"-h", "--help", "-?", "--help-all", "-v", "--version"})
            if (std::strcmp(argv[i], option) == 0)
                return true;
    return false;
}

} // namespace

int run_application(int argc, char** argv, const std::filesystem::path& proc_root) {
    if (asks_for_help_or_version(argc, argv)) {
        QCoreApplication app(argc, argv);
        name_application();
        Options options;
        options.parser.process(app); // prints and ends the program
        return 0;
    }

#ifdef Q_OS_UNIX
    // A request to end (SIGTERM at log-out, Ctrl-C in the terminal that started it) waits for
    // a configuration the window is sending, and leaves the port as it found it.
    const TerminationGuard guard(end_program);
#endif
    QApplication app(argc, argv);
    name_application();
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("pole-display-setup"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("pole-display-setup")));
    Options options;
    options.parser.process(app);

    DesktopServices desktop(proc_root);
    MainWindow window(desktop.services());
    desktop.set_window(&window);
    if (options.parser.isSet(options.port))
        window.preset_port(options.parser.value(options.port).toStdString());
    window.show();
    return app.exec();
}

} // namespace pds::ui
