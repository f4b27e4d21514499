#include "file/file_kinds.h"

#include <system_error>

namespace pds {

namespace fs = std::filesystem;

fs::path file_path(std::string_view name) {
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(name.data()), name.size()));
}

std::string file_name(const fs::path& path) {
    const std::u8string name = path.u8string();
    return {reinterpret_cast<const char*>(name.data()), name.size()};
}

bool is_special(fs::file_type type) {
    return type == fs::file_type::character || type == fs::file_type::block ||
           type == fs::file_type::fifo || type == fs::file_type::socket;
}

bool is_descriptor_link(const fs::path& link) {
    std::error_code error;
    const fs::path folder = fs::canonical(link.parent_path(), error);
    return !error && folder.filename() == "fd" && folder.parent_path().parent_path() == "/proc";
}

LinkEnd follow_links(const fs::path& path) {
    std::error_code error;
    LinkEnd end{path};
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

bool replaceable(const fs::path& path) {
    std::error_code error;
    return !follow_links(path).through_descriptor && !is_special(fs::status(path, error).type());
}

std::string file_identity(const std::string& name) {
    try {
        std::error_code error;
        const fs::path at = fs::absolute(file_path(name), error);
        if (error)
            return name;
        // A link to a file not made yet names that file too.
        const fs::path resolved = fs::weakly_canonical(follow_links(at).path, error);
        return error ? name : file_name(resolved);
    } catch (const std::exception&) {
        // A name that is no text in the system's encoding names no file to compare.
        return name;
    }
}

} // namespace pds
