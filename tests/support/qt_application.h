#pragma once

#include <QCoreApplication>

namespace pds::testing {

// Qt's process and serial classes want an application object; GoogleTest's main makes none.
inline void ensure_qt_application() {
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
}

} // namespace pds::testing
