#pragma once

#include "services/file_store.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>

namespace pds {

// Files on disk through the standard library alone: the one file store of every program (on
// Windows with the system's own calls, adapters/win32/win32_file_store.h). A replacement is
// written to a temporary file beside the target and renamed over it, so a failed save never
// leaves a truncated or half-written file behind. Only a regular file, or a name that holds
// nothing yet, is replaced: renaming over a device, a FIFO or a file that /dev/stdout stands
// for would put a plain file where the system or a waiting program expects its own, so those
// are refused. A symbolic link stays; the file it points to is replaced, keeping its
// permissions. Names are UTF-8 (on POSIX systems any bytes).
class DiskFileStore : public FileStore {
public:
    std::variant<std::vector<std::uint8_t>, FileError> read(const std::string& path,
                                                            std::size_t max_bytes) override;
    std::variant<std::monostate, FileError> replace(const std::string& path,
                                                    std::span<const std::uint8_t> bytes) override;
    // As replace() for a regular file; a device, FIFO, terminal, or the file behind a
    // descriptor link such as /dev/stdout is written in place instead, appended to where it
    // has an end, as a shell's `>>` opened it.
    std::variant<std::monostate, FileError> write(const std::string& path,
                                                  std::span<const std::uint8_t> bytes);

protected:
    // What a system offers beyond the standard library, for the store of that system.

    // Why `path` is no file at all on this system, before anything else is asked of it.
    virtual std::optional<FileError> not_a_file(const std::filesystem::path& path) const;
    // A file that did not exist before, opened for writing; errno tells why not.
    virtual std::FILE* create_new(const std::filesystem::path& path);
    // Puts `temporary` where `target` is, in one step, whether or not `target` exists.
    virtual std::error_code move_over(const std::filesystem::path& temporary,
                                      const std::filesystem::path& target);

private:
    std::variant<std::vector<std::uint8_t>, FileError> read_file(const std::filesystem::path& path,
                                                                 std::size_t max_bytes);
    std::variant<std::monostate, FileError> replace_file(const std::filesystem::path& path,
                                                         std::span<const std::uint8_t> bytes);
    std::variant<std::monostate, FileError> write_file(const std::filesystem::path& path,
                                                       std::span<const std::uint8_t> bytes);
};

} // namespace pds
