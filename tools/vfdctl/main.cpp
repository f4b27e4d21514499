// vfdctl: the pole display's configuration from the command line, for scripted roll-out.
#include "commands.h"
#include "version.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("vfdctl");
    QCoreApplication::setApplicationVersion(PDS_VERSION);
    return pds::cli::run(QCoreApplication::arguments(), std::cout, std::cerr);
}
