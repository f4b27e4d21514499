#include "ui/qt_shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QString>
#include <QUrl>

namespace pds {

void QtShell::open_document(const std::string& path) {
    const QString file = QString::fromStdString(path);
    if (!QFileInfo(file).isFile())
        return;
    // The result is not examined: without a registered viewer nothing happens, as intended.
    QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

} // namespace pds
