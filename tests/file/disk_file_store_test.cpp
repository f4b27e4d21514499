// The one file store every program keeps its files through, as built for this system.
#include "adapters/system_file_store.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "file/file_kinds.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace pds {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes pattern(std::size_t size, std::uint8_t start) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(start + i);
    return bytes;
}

Bytes contents(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), {});
}

bool succeeded(const std::variant<std::monostate, FileError>& result) {
    return std::holds_alternative<std::monostate>(result);
}

std::string reason(const std::variant<std::monostate, FileError>& result) {
    const auto* failure = std::get_if<FileError>(&result);
    return failure ? failure->reason : "";
}

class DiskFileStoreTest : public ::testing::Test {
protected:
    DiskFileStoreTest() {
        folder = fs::temp_directory_path() /
                 ("disk_file_store_test_" + std::to_string(std::random_device{}()));
        fs::create_directories(folder);
    }
    ~DiskFileStoreTest() override {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    std::string at(const std::string& name) const { return file_name(folder / file_path(name)); }
    std::string file_with(const std::string& name, const Bytes& bytes) const {
        std::ofstream(at(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return at(name);
    }
    std::set<std::string> names() const {
        std::set<std::string> all;
        for (const auto& entry : fs::directory_iterator(folder))
            all.insert(file_name(entry.path().filename()));
        return all;
    }

    fs::path folder;
    SystemFileStore files;
};

TEST_F(DiskFileStoreTest, ReplaceSwapsInTheNewBytesAndKeepsThePermissions) {
    const std::string target = file_with("shop.vfd", Bytes(300, 'x'));
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(target, mode);
    // Windows keeps only a read-only flag, which a writable file does not have.
    const auto kept = fs::status(target).permissions() & fs::perms::all;
    const auto bytes = pattern(126, 0xF0);

    ASSERT_TRUE(succeeded(files.replace(target, bytes)));
    EXPECT_EQ(contents(target), bytes) << "the longer old file is cut to the new bytes";
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, kept);
    ASSERT_TRUE(succeeded(files.replace(at("new.vfd"), bytes)));
    EXPECT_EQ(contents(at("new.vfd")), bytes);
    EXPECT_EQ(names(), (std::set<std::string>{"shop.vfd", "new.vfd"}))
        << "no temporary file left behind";
}

TEST_F(DiskFileStoreTest, ReplaceThatCannotBeDoneLeavesEverythingAsItWas) {
    const Bytes old = {'o', 'l', 'd'};
    file_with("shop.vfd", old);
    fs::create_directory(folder / "folder.vfd");
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {at("missing/shop.vfd"), "No such file or directory"},
        {at("folder.vfd"), "Filename refers to a directory"},
        {"", "No such file or directory"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(reason(files.replace(c.path, pattern(126, 0))), c.reason) << c.path;
    EXPECT_EQ(contents(at("shop.vfd")), old);
    EXPECT_TRUE(fs::is_empty(folder / "folder.vfd"));
    EXPECT_EQ(names(), (std::set<std::string>{"shop.vfd", "folder.vfd"}));
}

TEST_F(DiskFileStoreTest, ReadGivesAtMostTheAskedBytesOrTheReason) {
    const std::string target = file_with("long.vfd", pattern(200, 1));
    const auto read = files.read(target, 126);
    ASSERT_TRUE(std::holds_alternative<Bytes>(read));
    EXPECT_EQ(std::get<Bytes>(read), pattern(126, 1));
    const auto whole = files.read(target, 1000);
    ASSERT_TRUE(std::holds_alternative<Bytes>(whole));
    EXPECT_EQ(std::get<Bytes>(whole).size(), 200u);

    const auto missing = files.read(at("none.vfd"), 126);
    ASSERT_TRUE(std::holds_alternative<FileError>(missing));
    EXPECT_EQ(std::get<FileError>(missing).reason, "No such file or directory");
    const auto directory = files.read(folder.string(), 126);
    ASSERT_TRUE(std::holds_alternative<FileError>(directory));
    EXPECT_EQ(std::get<FileError>(directory).reason, "file to open is a directory");
}

TEST_F(DiskFileStoreTest, NamesBeyondASCIIAreTheFilesOfThoseNames) {
    // Names come as UTF-8 on every system; on Windows no code page may stand between.
    const Bytes old = {'o', 'l', 'd'};
    const auto bytes = pattern(126, 0x20);
    for (const std::string name :
         {"\xD0\x9C\xD0\xB0\xD0\xB3\xD0\xB0\xD0\xB7\xD0\xB8\xD0\xBD.vfd", // Магазин
          "\xE5\xBA\x97\xE8\x88\x97.vfd",                                 // 店舗
          "t\xC3\xA9st\xE2\x82\xAC.vfd"}) {                               // tést€
        const std::string target = at(name);
        ASSERT_TRUE(succeeded(files.replace(target, old))) << name;
        ASSERT_TRUE(succeeded(files.write(target, bytes))) << name << ": over an existing file";
        const auto read = files.read(target, 1000);
        ASSERT_TRUE(std::holds_alternative<Bytes>(read)) << name;
        EXPECT_EQ(std::get<Bytes>(read), bytes) << name;
        EXPECT_EQ(contents(folder / file_path(name)), bytes) << name;
    }
    EXPECT_EQ(names().size(), 3u) << "one file a name, no temporary file left behind";
}

#ifndef _WIN32
// Special files, symbolic links and descriptor links as POSIX systems have them.
class DiskFileStorePosixTest : public DiskFileStoreTest {
protected:
    std::string fifo(const std::string& name) const {
        EXPECT_EQ(::mkfifo(at(name).c_str(), 0600), 0);
        return at(name);
    }
    // A null device of the test's own when root may make one, so a fault costs no system
    // device; others cannot replace /dev/null in any case.
    std::string null_device() const {
        if (::geteuid() != 0)
            return "/dev/null";
        EXPECT_EQ(::mknod(at("null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
        return at("null");
    }
    std::string link(const std::string& name, const std::string& target) const {
        fs::create_symlink(target, at(name));
        return at(name);
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

TEST_F(DiskFileStorePosixTest, ReplaceThatCannotWriteLeavesTheOldFileAlone) {
    fs::create_directory(folder / "locked");
    const Bytes old = {'o', 'l', 'd'};
    const std::string target = file_with("locked/shop.vfd", old);
    // A read-only folder refuses the temporary file that the replacement needs. Root ignores
    // permissions, so a missing folder stands in for it there.
    fs::permissions(folder / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    const std::string unwritable = ::geteuid() == 0 ? at("missing/shop.vfd") : target;
    const auto result = files.replace(unwritable, pattern(126, 0));
    fs::permissions(folder / "locked", fs::perms::owner_all);

    EXPECT_EQ(reason(result), ::geteuid() == 0 ? "No such file or directory" : "Permission denied");
    EXPECT_EQ(contents(target), old);
    EXPECT_EQ(fs::directory_iterator(folder / "locked")->path().filename(), "shop.vfd");
}

TEST_F(DiskFileStorePosixTest, ReplaceRefusesDevicesFifosAndHeldFilesAndLeavesThemAlone) {
    const Bytes earlier = {'e', 'a', 'r', 'l', 'y', '\n'};
    const std::string log = file_with("log", earlier);
    const HeldFile held(log);
    const std::string device = null_device();
    const std::string pipe = fifo("pipe");
    const std::string targets[] = {device, pipe, link("to-pipe", pipe), link("to-device", device),
                                   held.link()};
    const auto before = names();
    for (const auto& target : targets) {
        const auto kind = fs::symlink_status(target).type();
        EXPECT_EQ(reason(files.replace(target, pattern(126, 0))), "Not a regular file") << target;
        EXPECT_EQ(fs::symlink_status(target).type(), kind) << target;
    }
    EXPECT_EQ(names(), before) << "no temporary file left behind";
    EXPECT_EQ(contents(log), earlier);
}

TEST_F(DiskFileStorePosixTest, WritePutsTheBytesIntoDevicesFifosAndHeldFilesInPlace) {
    const auto bytes = pattern(126, 0x30);
    const std::string pipe = fifo("pipe");
    // The reader is there first, as a program waiting on the FIFO would be; opened without
    // blocking, so a store that replaced the FIFO leaves it with nothing instead of hanging.
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_TRUE(succeeded(files.write(pipe, bytes)));
    Bytes got(200);
    got.resize(static_cast<std::size_t>(std::max<ssize_t>(0, ::read(reader, got.data(), 200))));
    ::close(reader);
    EXPECT_EQ(got, bytes);
    EXPECT_EQ(fs::symlink_status(pipe).type(), fs::file_type::fifo);

    const std::string device = null_device();
    EXPECT_TRUE(succeeded(files.write(link("to-device", device), bytes)));
    EXPECT_EQ(fs::status(device).type(), fs::file_type::character);

    const Bytes earlier = {'e', 'a', 'r', 'l', 'y', '\n'};
    const std::string log = file_with("log", earlier);
    {
        const HeldFile held(log);
        EXPECT_TRUE(succeeded(files.write(held.link(), bytes)));
    }
    Bytes appended = earlier;
    appended.insert(appended.end(), bytes.begin(), bytes.end());
    EXPECT_EQ(contents(log), appended) << "appended, not replaced";

    const std::string plain = file_with("plain.vfd", Bytes(300, 'x'));
    EXPECT_TRUE(succeeded(files.write(plain, bytes)));
    EXPECT_EQ(contents(plain), bytes) << "a regular file is replaced";
}

TEST_F(DiskFileStorePosixTest, ReplaceThroughASymbolicLinkReplacesTheFileItPointsTo) {
    const auto bytes = pattern(126, 0x41);
    file_with("shop.vfd", {'o', 'l', 'd'});
    fs::create_directory(folder / "sub");
    // Relative links resolve from the link's folder, and a chain is followed to its end.
    const std::string cases[][2] = {
        {"shop.vfd", "to-shop"}, {"new.vfd", "to-new"}, {"../to-shop", "sub/to-to-shop"}};
    for (const auto& [target, name] : cases) {
        const std::string linked = link(name, target);
        ASSERT_TRUE(succeeded(files.replace(linked, bytes))) << name;
        EXPECT_TRUE(fs::is_symlink(linked)) << name;
        EXPECT_EQ(fs::read_symlink(linked), target) << name;
        EXPECT_EQ(contents(linked), bytes) << name;
    }
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(at("shop.vfd"))));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(at("new.vfd"))));
}

TEST_F(DiskFileStorePosixTest, ReadRefusesDevicesAndFifosWithoutWaitingOnThem) {
    // The FIFO has a writer and holds more than a reader's buffer takes, so a store that read
    // it would return bytes instead of hanging the test.
    const std::string pipe = fifo("pipe");
    const int writer = ::open(pipe.c_str(), O_RDWR);
    ASSERT_GE(writer, 0);
    const std::string waiting(32768, 'x');
    ASSERT_EQ(::write(writer, waiting.data(), waiting.size()), ssize_t(waiting.size()));
    for (const std::string& source :
         {pipe, std::string("/dev/zero"), link("to-zero", "/dev/zero")}) {
        const auto read = files.read(source, 126);
        ASSERT_TRUE(std::holds_alternative<FileError>(read)) << source;
        EXPECT_EQ(std::get<FileError>(read).reason, "Not a regular file") << source;
    }
    ::close(writer);
}
#endif

#ifdef _WIN32
TEST_F(DiskFileStoreTest, DeviceNamesAreRefusedUnopened) {
    const std::string devices[] = {
        "CON",  "nul",     "AUX.vfd",      "COM5",         "lpt1.txt",
        "PRN ", "CONOUT$", at("COM1.vfd"), "\\\\.\\COM12", "sub\\com\xC2\xB9"};
    for (const auto& device : devices) {
        const std::string refused = "a Windows device name, not a file";
        EXPECT_EQ(reason(files.replace(device, pattern(126, 0))), refused) << device;
        EXPECT_EQ(reason(files.write(device, pattern(126, 0))), refused) << device;
        const auto read = files.read(device, 126);
        ASSERT_TRUE(std::holds_alternative<FileError>(read)) << device;
        EXPECT_EQ(std::get<FileError>(read).reason, refused) << device;
    }
    EXPECT_TRUE(names().empty());
    // Names that only look like one are files.
    for (const std::string name : {"CONSOLE.vfd", "COM10.vfd", "NULL.vfd", "com.vfd", "LPT.vfd"})
        EXPECT_TRUE(succeeded(files.replace(at(name), pattern(126, 0)))) << name;
    EXPECT_EQ(names().size(), 5u);
}

// The current folder is the test's own while it lives, for names without a folder.
class InFolder {
public:
    explicit InFolder(const fs::path& folder) : before(fs::current_path()) {
        fs::current_path(folder);
    }
    ~InFolder() { fs::current_path(before); }

private:
    fs::path before;
};

TEST_F(DiskFileStoreTest, EveryFormOfANameIsReplacedOrMade) {
    fs::create_directory(folder / "sub");
    const InFolder inside(folder);
    const std::string drive_absolute = at("absolute.vfd");
    const std::string forms[] = {"bare.vfd", ".\\dotted.vfd", "sub\\nested.vfd", drive_absolute};
    for (const auto& form : forms) {
        const auto first = pattern(126, 1);
        const auto second = pattern(126, 2);
        ASSERT_TRUE(succeeded(files.write(form, first))) << form << " over no file";
        EXPECT_EQ(contents(fs::path(form)), first) << form;
        const auto replaced = files.write(form, second);
        EXPECT_TRUE(succeeded(replaced)) << form << " over an existing file: " << reason(replaced);
        EXPECT_EQ(contents(fs::path(form)), second) << form;
    }
    EXPECT_EQ(names(), (std::set<std::string>{"sub", "bare.vfd", "dotted.vfd", "absolute.vfd"}));
    EXPECT_EQ(fs::directory_iterator(folder / "sub")->path().filename(), "nested.vfd");
}
#endif

} // namespace
} // namespace pds
