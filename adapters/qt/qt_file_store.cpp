#include "adapters/qt/qt_file_store.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QString>

namespace pds {

namespace {
FileError error_of(const QFileDevice& file) {
    return {file.errorString().toStdString()};
}
} // namespace

std::variant<std::vector<std::uint8_t>, FileError> QtFileStore::read(const std::string& path,
                                                                     std::size_t max_bytes) {
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

} // namespace pds
