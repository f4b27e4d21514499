#include "file/disk_file_store.h"

#include "file/file_kinds.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace pds {

namespace {

namespace fs = std::filesystem;

const char* const not_regular = "Not a regular file";

FileError system_error(int code) {
    return {std::generic_category().message(code != 0 ? code : EIO)};
}

// A file that did not exist before, opened for writing; errno tells why not.
std::FILE* open_new(const fs::path& path) {
#ifdef _WIN32
    const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        switch (::GetLastError()) {
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            errno = EEXIST;
            break;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            errno = ENOENT;
            break;
        default:
            errno = EACCES;
            break;
        }
        return nullptr;
    }
    const int descriptor = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
    if (descriptor < 0) {
        ::CloseHandle(handle);
        return nullptr;
    }
    std::FILE* file = ::_fdopen(descriptor, "wb");
    if (!file)
        ::_close(descriptor);
    return file;
#else
    return std::fopen(path.c_str(), "wbx");
#endif
}

// Puts `temporary` where `target` is, in one step, whether or not `target` exists.
std::error_code rename_over(const fs::path& temporary, const fs::path& target) {
#ifdef _WIN32
    std::error_code exists_error;
    const bool exists = fs::exists(target, exists_error);
    const BOOL moved = exists ? ::ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                                               REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                              : ::MoveFileExW(temporary.c_str(), target.c_str(),
                                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!moved)
        return {static_cast<int>(::GetLastError()), std::system_category()};
    return {};
#else
    std::error_code error;
    fs::rename(temporary, target, error);
    return error;
#endif
}

} // namespace

std::variant<std::vector<std::uint8_t>, FileError> DiskFileStore::read(const std::string& path,
                                                                       std::size_t max_bytes) {
    std::error_code error;
    const fs::file_type type = fs::status(path, error).type();
    if (is_special(type))
        return FileError{not_regular};
    if (type == fs::file_type::directory)
        return FileError{"file to open is a directory"};
    errno = 0;
    std::ifstream file(fs::path(path), std::ios::binary);
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
DiskFileStore::replace(const std::string& path, std::span<const std::uint8_t> bytes) {
    if (path.empty())
        return system_error(ENOENT);
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
        file = open_new(temporary);
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
    if (const std::error_code renamed = rename_over(temporary, target)) {
        fs::remove(temporary, error);
        return FileError{renamed.message()};
    }
    return std::monostate{};
}

std::variant<std::monostate, FileError> DiskFileStore::write(const std::string& path,
                                                             std::span<const std::uint8_t> bytes) {
    if (path.empty() || replaceable(path))
        return replace(path, bytes);
    errno = 0;
    std::ofstream file(fs::path(path), std::ios::binary | std::ios::app);
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
