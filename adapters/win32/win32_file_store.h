// The file store on Windows: the core's store with the system's own calls where the standard
// library falls short there.
#pragma once

#include "file/disk_file_store.h"

#include <string_view>

namespace pds {

// Whether a file name is one that Windows keeps for a device in every folder (CON, NUL, AUX,
// PRN, COM0 to COM9, LPT0 to LPT9, CONIN$, CONOUT$; with an extension or trailing blanks too),
// or names the device namespace (\\.\COM12).
bool is_windows_device_name(std::string_view name);

// Refuses device names before opening them: a write would go to a printer port or the console,
// a read would wait on a serial line or find nothing. Creates the temporary file with
// CreateFileW, as Windows' C library knows no exclusive mode, and puts it in place with
// ReplaceFileW, which keeps the old file's attributes and security, or MoveFileExW where there
// is no old file.
class Win32FileStore : public DiskFileStore {
protected:
    std::optional<FileError> not_a_file(const std::filesystem::path& path) const override;
    std::FILE* create_new(const std::filesystem::path& path) override;
    std::error_code move_over(const std::filesystem::path& temporary,
                              const std::filesystem::path& target) override;
};

} // namespace pds
