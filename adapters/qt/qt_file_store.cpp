#include "adapters/qt/qt_file_store.h"

#include "file/file_kinds.h"

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
