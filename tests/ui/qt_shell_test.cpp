#include "ui/qt_shell.h"

#include "support/gui_testing.h"
#include "support/url_recorder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace pds {
namespace {

struct QtShellTest : ::testing::Test {
    QApplication& app = testing::qt_application();
    QTemporaryDir folder;
    testing::UrlRecorder opened{"file"};
    QtShell shell;
};

TEST_F(QtShellTest, OpensAnExistingDocumentWithTheDesktopViewer) {
    const QString path = folder.filePath("Vela Pole Display.pdf");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    shell.open_document(path.toStdString());
    ASSERT_EQ(opened.urls.size(), 1);
    EXPECT_EQ(opened.urls[0], QUrl::fromLocalFile(path));
}

TEST_F(QtShellTest, PassesOverAMissingDocumentOrAFolderInSilence) {
    shell.open_document(folder.filePath("Vela Pole Display.pdf").toStdString());
    ASSERT_TRUE(QDir(folder.path()).mkdir("Vela Pole Display.pdf"));
    shell.open_document(folder.filePath("Vela Pole Display.pdf").toStdString());
    EXPECT_TRUE(opened.urls.isEmpty());
}

} // namespace
} // namespace pds
