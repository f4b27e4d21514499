#include "adapters/win32/win32_file_store.h"

#include "file/file_kinds.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <string>

namespace pds {

namespace fs = std::filesystem;

bool is_windows_device_name(std::string_view name) {
    if (name.starts_with("\\\\.\\") || name.starts_with("//./"))
        return true;
    const auto last = name.find_last_of("\\/:");
    std::string base(last == std::string_view::npos ? name : name.substr(last + 1));
    // The system looks at the name before its first dot, trailing blanks left off.
    base = base.substr(0, base.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    std::transform(base.begin(), base.end(), base.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    static const char* const words[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    if (std::find(std::begin(words), std::end(words), base) != std::end(words))
        return true;
    // COM¹, COM², COM³ and the same for LPT, as UTF-8.
    static const char* const superscripts[] = {"\xC2\xB9", "\xC2\xB2", "\xC2\xB3"};
    for (const char* port : {"COM", "LPT"}) {
        if (!base.starts_with(port))
            continue;
        const std::string number = base.substr(3);
        if (number.size() == 1 && std::isdigit(static_cast<unsigned char>(number[0])))
            return true;
        if (std::find(std::begin(superscripts), std::end(superscripts), number) !=
            std::end(superscripts))
            return true;
    }
    return false;
}

std::optional<FileError> Win32FileStore::not_a_file(const fs::path& path) const {
    if (is_windows_device_name(file_name(path)))
        return FileError{"a Windows device name, not a file"};
    return std::nullopt;
}

std::FILE* Win32FileStore::create_new(const fs::path& path) {
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
        case ERROR_INVALID_NAME:
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
}

std::error_code Win32FileStore::move_over(const fs::path& temporary, const fs::path& target) {
    // Both named in full: ReplaceFileW finds no folder in a name without one.
    std::error_code error;
    const fs::path from = fs::absolute(temporary, error);
    if (error)
        return error;
    const fs::path to = fs::absolute(target, error);
    if (error)
        return error;
    const bool exists = fs::exists(to, error);
    const BOOL moved = exists ? ::ReplaceFileW(to.c_str(), from.c_str(), nullptr,
                                               REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                              : ::MoveFileExW(from.c_str(), to.c_str(),
                                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!moved)
        return {static_cast<int>(::GetLastError()), std::system_category()};
    return {};
}

} // namespace pds
