#pragma once

#include "services/file_store.h"

namespace pds {

// Files on disk. A replacement is written to a temporary file beside the target and renamed
// over it, so a failed save never leaves a truncated or half-written file behind.
class QtFileStore : public FileStore {
public:
    std::variant<std::vector<std::uint8_t>, FileError> read(const std::string& path,
                                                            std::size_t max_bytes) override;
    std::variant<std::monostate, FileError> replace(const std::string& path,
                                                    std::span<const std::uint8_t> bytes) override;
};

} // namespace pds
