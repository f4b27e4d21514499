#include "ui/qt_message_boxes.h"

#include "support/gui_testing.h"

#include <QAbstractButton>
#include <QPushButton>

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

} // namespace
} // namespace pds
