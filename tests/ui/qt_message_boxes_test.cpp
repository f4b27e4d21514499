#include "ui/qt_message_boxes.h"

#include "support/gui_testing.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

namespace pds {
namespace {

struct QtMessageBoxesTest : ::testing::Test {
    QtMessageBoxesTest() { testing::qt_application(); }
};

TEST_F(QtMessageBoxesTest, PlainBoxHasNoIconOnlyOkAndTheApplicationTitle) {
    const auto box = make_message_box("Hex Value Error !!", "", false, nullptr);
    EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(box->windowTitle(), QString("Pole Display Setup"));
    EXPECT_EQ(box->text(), QString("Hex Value Error !!"));
}

TEST_F(QtMessageBoxesTest, ConfirmationOffersOkAndCancelUnderItsOwnTitle) {
    const auto box = make_message_box("Are you sure to Load ?", "Load File", true, nullptr);
    EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(box->windowTitle(), QString("Load File"));
    EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()), box->button(QMessageBox::Ok));
    EXPECT_EQ(box->escapeButton(), box->button(QMessageBox::Cancel));
}

TEST_F(QtMessageBoxesTest, TextKeepsItsBlanksAndBreaksAtCarriageReturns) {
    const std::string text = std::string(29, ' ') + "Download successful!\rPlease restart.";
    const auto box = make_message_box(text, "", false, nullptr);
    EXPECT_EQ(box->text(), QString(29, ' ') + "Download successful!\nPlease restart.");
    EXPECT_EQ(box->textFormat(), Qt::PlainText);

    const auto markup = make_message_box("<b>Error</b>\r\nagain", "", false, nullptr);
    EXPECT_EQ(markup->text(), QString("<b>Error</b>\nagain"));
    EXPECT_EQ(markup->textFormat(), Qt::PlainText);
}

TEST_F(QtMessageBoxesTest, LongLinesWrapWithinTheWindowAndKeepEveryWord) {
    QWidget window;
    window.setFixedSize(473, 300); // the utility's window at 96 dpi
    window.show();
    const std::string text =
        "The serial port \"/dev/serial/by-id/usb-Prolific_Technology_Inc._USB-Serial_Controller-"
        "if00-port0\" could not be opened.\nReason: No such file or directory\n\nCheck that the "
        "display's cable or adapter is plugged in, or choose another port.";
    const auto box = make_message_box(text, "", false, &window);
    box->show();
    QCoreApplication::processEvents();
    EXPECT_LE(box->width(), window.width());
    EXPECT_GT(box->text().count('\n'), 3) << "the long lines are broken";
    QString unbroken = box->text();
    unbroken.remove('\n').remove(' ');
    QString expected = QString::fromStdString(text);
    expected.remove('\n').remove(' ');
    EXPECT_EQ(unbroken, expected);
    box->hide();

    // A short text stays as it is.
    EXPECT_EQ(make_message_box("Upload O.K!", "", false, &window)->text(), QString("Upload O.K!"));
}

} // namespace
} // namespace pds
