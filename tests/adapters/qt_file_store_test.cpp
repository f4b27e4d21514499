#include "adapters/qt/qt_file_store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace pds {
namespace {

std::vector<std::uint8_t> pattern(std::size_t size, std::uint8_t start) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(start + i);
    return bytes;
}

QByteArray contents(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

class QtFileStoreTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    QtFileStore files;
    QString path(const char* name) const { return folder.filePath(name); }
};

TEST_F(QtFileStoreTest, ReplaceCutsALongerFileToTheNewBytes) {
    const QString target = path("shop.vfd");
    {
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(300, 'x'));
    }
    const auto bytes = pattern(126, 0xF0);
    ASSERT_TRUE(std::holds_alternative<std::monostate>(files.replace(target.toStdString(), bytes)));

    const QByteArray written = contents(target);
    ASSERT_EQ(written.size(), 126);
    EXPECT_EQ(std::vector<std::uint8_t>(written.begin(), written.end()), bytes);
}

TEST_F(QtFileStoreTest, ReplaceThatCannotWriteLeavesTheOldFileAlone) {
    const QString locked = path("locked");
    ASSERT_TRUE(QDir().mkdir(locked));
    const QString target = locked + "/shop.vfd";
    {
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old contents");
    }
    // A read-only folder refuses the temporary file that the replacement needs. Root ignores
    // permissions, so a missing folder stands in for it there.
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const std::string unwritable = QFileInfo(locked).isWritable()
                                       ? path("missing/shop.vfd").toStdString()
                                       : target.toStdString();

    const auto result = files.replace(unwritable, pattern(126, 0));
    QFile::setPermissions(locked,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    ASSERT_TRUE(std::holds_alternative<FileError>(result));
    EXPECT_FALSE(std::get<FileError>(result).reason.empty());
    EXPECT_EQ(contents(target), QByteArray("old contents"));
}

TEST_F(QtFileStoreTest, ReadGivesAtMostTheAskedBytesAndFailsOnAMissingFile) {
    const QString target = path("long.vfd");
    {
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const auto bytes = pattern(200, 1);
        file.write(reinterpret_cast<const char*>(bytes.data()), 200);
    }
    const auto read = files.read(target.toStdString(), 126);
    ASSERT_TRUE(std::holds_alternative<std::vector<std::uint8_t>>(read));
    EXPECT_EQ(std::get<std::vector<std::uint8_t>>(read), pattern(126, 1));

    const auto missing = files.read(path("none.vfd").toStdString(), 126);
    ASSERT_TRUE(std::holds_alternative<FileError>(missing));
    EXPECT_FALSE(std::get<FileError>(missing).reason.empty());
}

} // namespace
} // namespace pds
