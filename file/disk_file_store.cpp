#include "file/disk_file_store.h"

#include "file/file_kinds.h"

#include <cerrno>
#include <fstream>
#include <random>

namespace pds {

namespace {

namespace fs = std::filesystem;

const char* const not_regular = "Not a regular file";

FileError system_error(int code) {
    return {std::generic_category().message(code != 0 ? code : EIO)};
}

// The system's path for a name, or why there is none: on Windows a name that is not UTF-8.
std::variant<fs::path, FileError> path_of(const std::string& name) {
    if (name.empty())
        return system_error(ENOENT);
    try {
        return file_path(name);
    } catch (const std::exception&) {
        return FileError{"the name is not UTF-8 text"};
    }
}

} // namespace

std::optional<FileError> DiskFileStore::not_a_file(const fs::path&) const {
    return std::nullopt;
}

std::FILE* DiskFileStore::create_new(const fs::path& path) {
    // C11's exclusive mode: fails with EEXIST where anything has the name. (Windows' C library
    // has no such mode and narrow names in a code page: its store creates files otherwise.)
    return std::fopen(path.string().c_str(), "wbx");
}

std::error_code DiskFileStore::move_over(const fs::path& temporary, const fs::path& target) {
    std::error_code error;
    fs::rename(temporary, target, error);
    return error;
}

std::variant<std::vector<std::uint8_t>, FileError> DiskFileStore::read(const std::string& path,
                                                                       std::size_t max_bytes) {
    const auto at = path_of(path);
    if (const auto* failure = std::get_if<FileError>(&at))
        return *failure;
    return read_file(std::get<fs::path>(at), max_bytes);
}

std::variant<std::monostate, FileError>
DiskFileStore::replace(const std::string& path, std::span<const std::uint8_t> bytes) {
    const auto at = path_of(path);
    if (const auto* failure = std::get_if<FileError>(&at))
        return *failure;
    return replace_file(std::get<fs::path>(at), bytes);
}

std::variant<std::monostate, FileError> DiskFileStore::write(const std::string& path,
                                                             std::span<const std::uint8_t> bytes) {
    const auto at = path_of(path);
    if (const auto* failure = std::get_if<FileError>(&at))
        return *failure;
    return write_file(std::get<fs::path>(at), bytes);
}

std::variant<std::vector<std::uint8_t>, FileError> DiskFileStore::read_file(const fs::path& path,
                                                                            std::size_t max_bytes) {
    if (auto refusal = not_a_file(path))
        return *refusal;
    std::error_code error;
    const fs::file_type type = fs::status(path, error).type();
    if (is_special(type))
        return FileError{not_regular};
    if (type == fs::file_type::directory)
        return FileError{"file to open is a directory"};
    errno = 0;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return system_error(errno != 0 ? errno : ENOENT);
    std::vector<std::uint8_t> bytes(max_bytes);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(max_bytes));
    if (file.bad())
        return system_error(errno);
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return bytes;
}

std::variant<std::monostate, FileError>
DiskFileStore::replace_file(const fs::path& path, std::span<const std::uint8_t> bytes) {
    if (auto refusal = not_a_file(path))
        return *refusal;
    if (!replaceable(path))
        return FileError{not_regular};
    const fs::path target = follow_links(path).path;
    std::error_code error;
    const fs::file_status before = fs::status(target, error);
    if (before.type() == fs::file_type::directory)
        return FileError{"Filename refers to a directory"};

    // A name of its own beside the target, so the rename stays on one file system.
    std::random_device entropy;
    std::uniform_int_distribution<unsigned> letter(0, 35);
    fs::path temporary;
    std::FILE* file = nullptr;
    for (int attempt = 0; !file && attempt < 100; ++attempt) {
        std::string suffix = ".";
        for (int i = 0; i < 6; ++i)
            suffix += "0123456789abcdefghijklmnopqrstuvwxyz"[letter(entropy)];
        temporary = target;
        temporary += suffix;
        errno = 0;
        file = create_new(temporary);
        if (!file && errno != EEXIST)
            return system_error(errno);
    }
    if (!file)
        return system_error(EEXIST);

    errno = 0;
    const bool written =
        std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
    const int write_errno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        const int code = write_errno != 0 ? write_errno : errno;
        fs::remove(temporary, error);
        return system_error(code);
    }
    if (fs::exists(before))
        fs::permissions(temporary, before.permissions(), error);
    if (const std::error_code moved = move_over(temporary, target)) {
        fs::remove(temporary, error);
        return FileError{moved.message()};
    }
    return std::monostate{};
}

std::variant<std::monostate, FileError>
DiskFileStore::write_file(const fs::path& path, std::span<const std::uint8_t> bytes) {
    if (auto refusal = not_a_file(path))
        return *refusal;
    if (replaceable(path))
        return replace_file(path, bytes);
    errno = 0;
    std::ofstream file(path, std::ios::binary | std::ios::app);
    if (file)
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    if (file)
        file.close();
    if (!file)
        return system_error(errno);
    return std::monostate{};
}

} // namespace pds
