#include "adapters/qt/qt_file_store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

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

namespace fs = std::filesystem;

class QtFileStoreTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    QtFileStore files;
    QString path(const char* name) const { return folder.filePath(name); }
    std::string at(const char* name) const { return path(name).toStdString(); }

    std::string fifo(const char* name) const {
        EXPECT_EQ(::mkfifo(at(name).c_str(), 0600), 0);
        return at(name);
    }
    // A null device of the test's own: root may make one, and a fault then costs no system
    // device. Others cannot replace /dev/null in any case.
    std::string null_device() const {
        if (::geteuid() != 0)
            return "/dev/null";
        EXPECT_EQ(::mknod(at("null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
        return at("null");
    }
    std::string file_with(const char* name, const QByteArray& bytes) const {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return at(name);
    }
    std::string link(const char* name, const std::string& target) const {
        fs::create_symlink(target, at(name));
        return at(name);
    }
    QStringList names() const {
        return QDir(folder.path())
            .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    }
};

// A descriptor held open on a file, reached as /dev/fd/N, as a shell's `>> log` gives
// /dev/stdout.
class HeldFile {
public:
    explicit HeldFile(const std::string& path) : fd(::open(path.c_str(), O_WRONLY | O_APPEND)) {
        EXPECT_GE(fd, 0);
    }
    ~HeldFile() { ::close(fd); }
    std::string link() const { return "/dev/fd/" + std::to_string(fd); }

private:
    int fd;
};

bool is_refused(const std::variant<std::monostate, FileError>& result) {
    const auto* failure = std::get_if<FileError>(&result);
    return failure && failure->reason == "Not a regular file";
}

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

TEST_F(QtFileStoreTest, ReplaceRefusesDevicesFifosAndHeldFilesAndLeavesThemAlone) {
    const std::string log = file_with("log", "earlier lines\n");
    const HeldFile held(log);
    const std::string device = null_device();
    const std::string pipe = fifo("pipe");
    const std::string targets[] = {device, pipe, link("to-pipe", pipe), link("to-device", device),
                                   held.link()};
    const QStringList before = names();
    for (const auto& target : targets) {
        const auto kind = fs::symlink_status(target).type();
        EXPECT_TRUE(is_refused(files.replace(target, pattern(126, 0)))) << target;
        EXPECT_EQ(fs::symlink_status(target).type(), kind) << target;
    }
    EXPECT_EQ(fs::status(device).type(), fs::file_type::character);
    EXPECT_EQ(names(), before) << "no temporary file left behind";
    EXPECT_EQ(contents(path("log")), QByteArray("earlier lines\n"));
}

TEST_F(QtFileStoreTest, WritePutsTheBytesIntoDevicesFifosAndHeldFilesInPlace) {
    const auto bytes = pattern(126, 0x30);
    const QByteArray expected(reinterpret_cast<const char*>(bytes.data()), 126);

    const std::string pipe = fifo("pipe");
    // The reader is there first, as a program waiting on the FIFO would be; opened without
    // blocking, so a store that replaced the FIFO leaves it with nothing instead of hanging.
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(files.write(pipe, bytes)));
    QByteArray got(200, 0);
    got.resize(std::max<ssize_t>(0, ::read(reader, got.data(), got.size())));
    ::close(reader);
    EXPECT_EQ(got, expected);
    EXPECT_EQ(fs::symlink_status(pipe).type(), fs::file_type::fifo);

    const std::string device = null_device();
    EXPECT_TRUE(
        std::holds_alternative<std::monostate>(files.write(link("to-device", device), bytes)));
    EXPECT_EQ(fs::status(device).type(), fs::file_type::character);

    const std::string log = file_with("log", "earlier lines\n");
    {
        const HeldFile held(log);
        EXPECT_TRUE(std::holds_alternative<std::monostate>(files.write(held.link(), bytes)));
    }
    EXPECT_EQ(contents(path("log")), "earlier lines\n" + expected) << "appended, not replaced";

    const std::string plain = file_with("plain.vfd", QByteArray(300, 'x'));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(files.write(plain, bytes)));
    EXPECT_EQ(contents(path("plain.vfd")), expected) << "a regular file is replaced";
}

TEST_F(QtFileStoreTest, ReplaceThroughASymbolicLinkReplacesTheFileItPointsTo) {
    const auto bytes = pattern(126, 0x41);
    const QByteArray expected(reinterpret_cast<const char*>(bytes.data()), 126);
    const std::string cases[][2] = {{"shop.vfd", "to-shop"}, {"new.vfd", "to-new"}};
    file_with("shop.vfd", "old");
    for (const auto& [target, name] : cases) {
        const std::string linked = link(name.c_str(), target);
        ASSERT_TRUE(std::holds_alternative<std::monostate>(files.replace(linked, bytes))) << name;
        EXPECT_TRUE(fs::is_symlink(linked)) << name;
        EXPECT_EQ(fs::read_symlink(linked), target) << name;
        EXPECT_EQ(contents(QString::fromStdString(at(target.c_str()))), expected) << target;
    }
}

TEST_F(QtFileStoreTest, ReadRefusesDevicesAndFifosWithoutWaitingOnThem) {
    // The FIFO has a writer and holds more than a reader's buffer takes, so a store that read
    // it would return bytes instead of hanging the test.
    const std::string pipe = fifo("pipe");
    const int writer = ::open(pipe.c_str(), O_RDWR);
    ASSERT_GE(writer, 0);
    const QByteArray waiting(32768, 'x');
    ASSERT_EQ(::write(writer, waiting.constData(), waiting.size()), waiting.size());
    for (const std::string& source :
         {pipe, std::string("/dev/zero"), link("to-zero", "/dev/zero")}) {
        const auto read = files.read(source, 126);
        ASSERT_TRUE(std::holds_alternative<FileError>(read)) << source;
        EXPECT_EQ(std::get<FileError>(read).reason, "Not a regular file") << source;
    }
    ::close(writer);
}

} // namespace
} // namespace pds
