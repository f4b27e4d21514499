#include "ui/find_progress_dialog.h"

#include <QCoreApplication>

namespace pds::ui {

FindProgressDialog::FindProgressDialog(QWidget* window)
    : dialog(QString::fromLatin1(find_looking_text), QStringLiteral("Cancel"), 0, 1, window) {
    dialog.setObjectName(QStringLiteral("FindProgress"));
    dialog.setWindowTitle(QString::fromLatin1(find_title));
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(0);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
}

void FindProgressDialog::next_step(int done, int total, const std::string& port, int speed) {
    dialog.setMaximum(total);
    dialog.setValue(done);
    dialog.setLabelText(QString::fromStdString(find_step_text(port, speed)));
    dialog.show();
    QCoreApplication::processEvents();
}

bool FindProgressDialog::cancelled() {
    // The probe asks every few milliseconds: that is when the dialog's Cancel gets through.
    QCoreApplication::processEvents();
    return dialog.wasCanceled();
}

void FindProgressDialog::finished() {
    dialog.hide();
}

} // namespace pds::ui
