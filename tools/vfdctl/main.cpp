// vfdctl: the pole display's configuration from the command line, for scripted roll-out.
#include "commands.h"
#include "version.h"

#include <QCoreApplication>

#include <iostream>

#ifdef Q_OS_UNIX
#include "adapters/posix/termination_guard.h"

#include <csignal>
#include <string>

namespace {

std::string signal_name(int signal) {
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    }
    return "signal " + std::to_string(signal);
}

} // namespace
#endif

int main(int argc, char** argv) {
#ifdef Q_OS_UNIX
    // Ctrl-C and the like wait for a configuration that is being sent; see --help.
    const pds::TerminationGuard guard([](int signal) {
        std::cerr << "vfdctl: stopped by " << signal_name(signal)
                  << "; no display was left with part of a configuration" << std::endl;
        pds::end_program(signal);
    });
#endif
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("vfdctl");
    QCoreApplication::setApplicationVersion(PDS_VERSION);
    return pds::cli::run(QCoreApplication::arguments(), std::cout, std::cerr);
}
