#include "file/file_kinds.h"

#include <system_error>

namespace pds {

namespace fs = std::filesystem;

bool is_special(fs::file_type type) {
    return type == fs::file_type::character || type == fs::file_type::block ||
           type == fs::file_type::fifo || type == fs::file_type::socket;
}

bool is_descriptor_link(const fs::path& link) {
    std::error_code error;
    const fs::path folder = fs::canonical(link.parent_path(), error);
    return !error && folder.filename() == "fd" && folder.parent_path().parent_path() == "/proc";
}

LinkEnd follow_links(const std::string& path) {
    std::error_code error;
    LinkEnd end{fs::path(path)};
    for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(end.path, error)); ++hops) {
        if (is_descriptor_link(fs::absolute(end.path, error)))
            end.through_descriptor = true;
        const fs::path target = fs::read_symlink(end.path, error);
        if (error)
            break;
        end.path = target.is_absolute() ? target : end.path.parent_path() / target;
    }
    return end;
}

bool replaceable(const std::string& path) {
    std::error_code error;
    return !follow_links(path).through_descriptor && !is_special(fs::status(path, error).type());
}

} // namespace pds
