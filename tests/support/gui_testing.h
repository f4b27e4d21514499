// The application object of the widget tests, made by their main, and readable Qt strings in
// their failures.
#pragma once

#include <QApplication>
#include <QString>

#include <ostream>

// Readable failures for Qt strings.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace pds::testing {

inline QApplication& qt_application() {
    return *qobject_cast<QApplication*>(QCoreApplication::instance());
}

} // namespace pds::testing
