#include "ui/qt_message_boxes.h"

#include <QGuiApplication>
#include <QString>

namespace pds {

namespace {

// Line ends of the other desktop ("\r\n") and lone carriage returns both break the line.
QString shown_text(const std::string& text) {
    QString out = QString::fromStdString(text);
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

class NormalCursor {
public:
    NormalCursor() : pushed_(QGuiApplication::overrideCursor() != nullptr) {
        if (pushed_)
            QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~NormalCursor() {
        if (pushed_)
            QGuiApplication::restoreOverrideCursor();
    }
    NormalCursor(const NormalCursor&) = delete;
    NormalCursor& operator=(const NormalCursor&) = delete;

private:
    bool pushed_;
};

} // namespace

std::unique_ptr<QMessageBox> make_message_box(const std::string& text, const std::string& title,
                                              bool with_cancel, QWidget* parent) {
    const QString caption =
        QString::fromStdString(title.empty() ? std::string(application_title) : title);
    auto box = std::make_unique<QMessageBox>(
        QMessageBox::NoIcon, caption, shown_text(text),
        with_cancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok, parent);
    // Texts such as "<none>" must never be taken for markup.
    box->setTextFormat(Qt::PlainText);
    box->setDefaultButton(QMessageBox::Ok);
    box->setEscapeButton(with_cancel ? QMessageBox::Cancel : QMessageBox::Ok);
    return box;
}

void QtMessageBoxes::show(const std::string& text, const std::string& title) {
    NormalCursor cursor;
    make_message_box(text, title, false, parent_)->exec();
}

bool QtMessageBoxes::confirm(const std::string& text, const std::string& title) {
    NormalCursor cursor;
    return make_message_box(text, title, true, parent_)->exec() == QMessageBox::Ok;
}

} // namespace pds
