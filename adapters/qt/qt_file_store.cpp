#include "adapters/qt/qt_file_store.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QString>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace pds {

namespace {

namespace fs = std::filesystem;

const char* const not_regular = "Not a regular file";

FileError error_of(const QFileDevice& file) {
    return {file.errorString().toStdString()};
}

// A device, FIFO or socket: opening one may block until another program comes, and reading or
// replacing one is never what a settings file asks for.
bool is_special(fs::file_type type) {
    return type == fs::file_type::character || type == fs::file_type::block ||
           type == fs::file_type::fifo || type == fs::file_type::socket;
}

// /dev/stdout, /dev/fd/N and /proc/PID/fd/N lead through /proc/PID/fd, whose entries stand
// for descriptors a process holds open. The file behind one looks regular, but it is open
// elsewhere, often a log that a shell opened for appending.
bool is_descriptor_link(const fs::path& link) {
    std::error_code error;
    const fs::path folder = fs::canonical(link.parent_path(), error);
    return !error && folder.filename() == "fd" && folder.parent_path().parent_path() == "/proc";
}

// Whether a new file may be renamed over `path`, following its symbolic links. A path that
// cannot be examined counts as replaceable, so the replacement fails with the system's words.
bool replaceable(const std::string& path) {
    std::error_code error;
    fs::path at = fs::absolute(path, error);
    for (int hops = 0; !error && hops < 40 && fs::is_symlink(fs::symlink_status(at, error));
         ++hops) {
        if (is_descriptor_link(at))
            return false;
        at = at.parent_path() / fs::read_symlink(at, error);
    }
    return !is_special(fs::status(path, error).type());
}

} // namespace

std::variant<std::vector<std::uint8_t>, FileError> QtFileStore::read(const std::string& path,
                                                                     std::size_t max_bytes) {
    std::error_code error;
    if (is_special(fs::status(path, error).type()))
        return FileError{not_regular};
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return error_of(file);
    const QByteArray data = file.read(static_cast<qint64>(max_bytes));
    if (file.error() != QFileDevice::NoError)
        return error_of(file);
    return std::vector<std::uint8_t>(data.begin(), data.end());
}

std::variant<std::monostate, FileError> QtFileStore::replace(const std::string& path,
                                                             std::span<const std::uint8_t> bytes) {
    if (!replaceable(path))
        return FileError{not_regular};
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly))
        return error_of(file);
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(reinterpret_cast<const char*>(bytes.data()), size) != size) {
        FileError failure = error_of(file);
        file.cancelWriting();
        return failure;
    }
    if (!file.commit())
        return error_of(file);
    return std::monostate{};
}

std::variant<std::monostate, FileError> QtFileStore::write(const std::string& path,
                                                           std::span<const std::uint8_t> bytes) {
    if (replaceable(path))
        return replace(path, bytes);
    // A stream rather than QFile: QFile's append mode seeks, and warns on every pipe and
    // terminal, which cannot seek.
    errno = 0;
    std::ofstream file(fs::path(path), std::ios::binary | std::ios::app);
    if (file)
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    if (file)
        file.close();
    if (!file)
        return FileError{std::generic_category().message(errno != 0 ? errno : EIO)};
    return std::monostate{};
}

} // namespace pds
