#include "ui/qt_file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QString>
#include <QStringList>

namespace pds {

namespace {

// The toolkit reads the pattern from the last parenthesised group, so the description is shown
// with its own text, blanks included, and only the pattern selects files.
QString name_filter(const FileFilter& filter) {
    return QString::fromStdString(filter.description) + '(' +
           QString::fromStdString(filter.pattern) + ')';
}

ChosenFile run(QWidget* parent, const FileFilter& filter, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                       : QFileDialog::ExistingFile);
    dialog.setNameFilter(name_filter(filter));
    // Saving over an existing file is the operator's choice in the dialog; nothing asks again.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QString path = dialog.selectedFiles().value(0);
    if (path.isEmpty())
        return {};
    return {path.toStdString(), QFileInfo(path).fileName().toStdString()};
}

} // namespace

ChosenFile QtFileDialog::choose_save(const FileFilter& filter) {
    return run(parent_, filter, QFileDialog::AcceptSave);
}

ChosenFile QtFileDialog::choose_open(const FileFilter& filter) {
    return run(parent_, filter, QFileDialog::AcceptOpen);
}

} // namespace pds
