#include "ui/qt_message_boxes.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <algorithm>

namespace pds {

namespace {

// Line ends of the other desktop ("\r\n") and lone carriage returns both break the line.
QString shown_text(const std::string& text) {
    QString out = QString::fromStdString(text);
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

// Breaks lines wider than `width` pixels at blanks, and a word wider than that anywhere.
// QMessageBox itself wraps only past half the screen, wider than the window it belongs to.
QString wrapped(const QString& text, const QFontMetrics& metrics, int width) {
    QStringList lines;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (metrics.horizontalAdvance(line) <= width) {
            lines << line;
            continue;
        }
        QString current;
        for (const QString& word : line.split(QLatin1Char(' '))) {
            const QString joined = current.isEmpty() ? word : current + QLatin1Char(' ') + word;
            if (metrics.horizontalAdvance(joined) <= width) {
                current = joined;
                continue;
            }
            if (!current.isEmpty())
                lines << current;
            current = word;
            while (current.size() > 1 && metrics.horizontalAdvance(current) > width) {
                qsizetype fits = 1;
                while (fits < current.size() &&
                       metrics.horizontalAdvance(current.left(fits + 1)) <= width)
                    ++fits;
                lines << current.left(fits);
                current.remove(0, fits);
            }
        }
        lines << current;
    }
    return lines.join(QLatin1Char('\n'));
}

// As wide as the text may be: the window less the box's margins, or a moderate width alone.
int text_width(const QWidget* parent) {
    constexpr int box_margins = 60;
    constexpr int alone = 420;
    return parent ? std::max(parent->width() - box_margins, 120) : alone;
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
        QMessageBox::NoIcon, caption, QString(),
        with_cancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok, parent);
    // Texts such as "<none>" must never be taken for markup.
    box->setTextFormat(Qt::PlainText);
    box->setText(wrapped(shown_text(text), QFontMetrics(box->font()), text_width(parent)));
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
