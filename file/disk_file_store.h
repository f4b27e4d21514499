#pragma once

#include "services/file_store.h"

namespace pds {

// Files on disk through the standard library alone, for programs without Qt. A replacement is
// written to a temporary file beside the target and renamed over it (on Windows with the
// system's replace call), so a failed save never leaves a truncated or half-written file
// behind. Only a regular file, or a name that holds nothing yet, is replaced: renaming over a
// device, a FIFO or a file that /dev/stdout stands for would put a plain file where the system
// or a waiting program expects its own, so those are refused. A symbolic link stays; the file
// it points to is replaced, keeping its permissions.
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
};

} // namespace pds
