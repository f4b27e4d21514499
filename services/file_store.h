#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace pds {

struct FileError {
    std::string reason; // the system's words
};

class FileStore {
public:
    virtual ~FileStore() = default;
    // At most max_bytes from the start of the file. A device or FIFO is refused unopened: it
    // may never end, or block until some other program writes to it.
    virtual std::variant<std::vector<std::uint8_t>, FileError> read(const std::string& path,
                                                                    std::size_t max_bytes) = 0;
    // Replaces the file as a whole: on failure the previous file is left as it was. Anything
    // that is not a regular file, or the place for a new one, is refused and left alone.
    virtual std::variant<std::monostate, FileError>
    replace(const std::string& path, std::span<const std::uint8_t> bytes) = 0;
};

} // namespace pds
