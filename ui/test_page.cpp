#include "ui/test_page.h"

#include "commands/test_panel.h"
#include "window_geometry.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace pds::ui {

namespace {

template <typename T> T* named(T* widget, const char* name, const QRect& geometry) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

QLabel* caption(const QString& text, QWidget* page, const QRect& geometry) {
    auto* label = new QLabel(text, page);
    label->setGeometry(geometry);
    return label;
}

QLineEdit* line_box(const char* name, QWidget* page, const QRect& geometry) {
    auto* box = named(new QLineEdit(page), name, geometry);
    box->setMaxLength(test_line_width);
    // Each character where the display puts it.
    box->setFont(QFont(QStringLiteral("monospace")));
    return box;
}

void draw_text(QLineEdit* box, const std::string& text) {
    const QString shown = QString::fromStdString(text);
    if (box->text() != shown)
        box->setText(shown);
}

void draw_text(QLabel* label, const std::string& text) {
    const QString shown = QString::fromStdString(text);
    if (label->text() != shown)
        label->setText(shown);
}

void draw_list(QComboBox* widget, const ListBox& list) {
    bool same = widget->count() == list.size();
    for (int i = 0; same && i < list.size(); ++i)
        same = widget->itemText(i).toStdString() == list.entries[static_cast<std::size_t>(i)];
    if (!same) {
        widget->clear();
        for (const auto& entry : list.entries)
            widget->addItem(QString::fromStdString(entry));
    }
    if (widget->currentIndex() != list.index)
        widget->setCurrentIndex(list.index);
}

} // namespace

TestPage::TestPage(QWidget* page, const Twips& twips) {
    // Created in tab order: the lines and their buttons, the brightness, the set.
    TwipsRect line_caption = geometry::test_line_caption;
    TwipsRect line = geometry::test_line;
    caption(QStringLiteral("Line 1 :"), page, twips.rect(line_caption));
    TestLine1 = line_box("TestLine1", page, twips.rect(line));
    line_caption.top += geometry::test_line_step;
    line.top += geometry::test_line_step;
    caption(QStringLiteral("Line 2 :"), page, twips.rect(line_caption));
    TestLine2 = line_box("TestLine2", page, twips.rect(line));
    TestSend = named(new QPushButton(QStringLiteral("Send"), page), "TestSend",
                     twips.rect(geometry::test_send));
    TestClear = named(new QPushButton(QStringLiteral("Clear"), page), "TestClear",
                      twips.rect(geometry::test_clear));

    caption(QStringLiteral("Brightness :"), page, twips.rect(geometry::test_level_caption));
    TestLevel = named(new QComboBox(page), "TestLevel", twips.rect(geometry::test_level));
    TestBrightness = named(new QPushButton(QStringLiteral("Set"), page), "TestBrightness",
                           twips.rect(geometry::test_brightness));

    caption(QStringLiteral("Command set :"), page, twips.rect(geometry::test_set_caption));
    TestCommand = named(new QComboBox(page), "TestCommand", twips.rect(geometry::test_set));
    TestCommand->setMaxVisibleItems(12);
    TestSetUsed = named(new QLabel(page), "TestSetUsed", twips.rect(geometry::test_set_used));
    TestSetUsed->setWordWrap(true);
    TestSetUsed->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    caption(QStringLiteral("Outcome :"), page, twips.rect(geometry::test_outcome_caption));
    TestOutcome = named(new QLabel(page), "TestOutcome", twips.rect(geometry::test_outcome));
    TestOutcome->setWordWrap(true);
    TestOutcome->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    TestOutcome->setTextInteractionFlags(Qt::TextSelectableByMouse);
}

void TestPage::draw(const EditorModel& model) {
    const auto& test = model.test;
    draw_text(TestLine1, test.line1);
    draw_text(TestLine2, test.line2);
    draw_list(TestCommand, test.command_set);
    draw_list(TestLevel, test.level);
    TestLevel->setEnabled(test.brightness);
    TestBrightness->setEnabled(test.brightness);
    draw_text(TestSetUsed, test.set_used);
    draw_text(TestOutcome, test.outcome);
}

} // namespace pds::ui
