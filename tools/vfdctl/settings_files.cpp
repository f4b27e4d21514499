#include "settings_files.h"

#include "file/disk_file_store.h"
#include "file/file_check.h"
#include "inspect/describe.h"

#include <algorithm>
#include <filesystem>
#include <map>

namespace pds::cli {

namespace {

// The file itself, so that two names of it compare equal: a.vfd and ./a.vfd, a link and what
// it points to, whether or not the file exists yet.
std::string file_identity(const std::string& path) {
    if (path == standard_output)
        return path;
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path at = fs::absolute(path, error);
    // A link to a file not made yet names that file too.
    for (int hops = 0; !error && hops < 40 && fs::is_symlink(fs::symlink_status(at, error));
         ++hops) {
        const fs::path target = fs::read_symlink(at, error);
        at = target.is_absolute() ? target : at.parent_path() / target;
    }
    const fs::path resolved = fs::weakly_canonical(at, error);
    return error ? path : resolved.string();
}

} // namespace

std::string output_name(const std::string& path) {
    return path == standard_output ? "standard output" : escaped_text(path);
}

std::optional<std::pair<std::string, std::string>>
same_file(const std::vector<std::string>& paths) {
    std::map<std::string, std::string> seen;
    for (const auto& path : paths) {
        const auto [earlier, fresh] = seen.emplace(file_identity(path), path);
        if (!fresh)
            return std::pair{earlier->second, path};
    }
    return std::nullopt;
}

std::variant<ImageBytes, std::string> load_settings(const std::string& path, bool strict) {
    DiskFileStore files;
    const auto read = files.read(path, image_size);
    if (const auto* failure = std::get_if<FileError>(&read))
        return escaped_text(path) + ": cannot read: " + escaped_text(failure->reason);
    const auto& contents = std::get<std::vector<std::uint8_t>>(read);
    const auto checked = check_settings_file(contents);
    if (const auto* image = std::get_if<ImageBytes>(&checked))
        return *image;
    const auto& problem = std::get<FileProblem>(checked);
    if (problem.field.empty())
        return escaped_text(path) + ": " + problem.reason;
    if (strict)
        return escaped_text(path) + ": " + problem.field + ": " + problem.reason;
    ImageBytes image{};
    std::copy_n(contents.begin(), image_size, image.begin());
    return image;
}

std::optional<std::string> save_settings(const std::string& path, const ImageBytes& image,
                                         std::ostream& out) {
    // What went to `out` before lands there before the file, should the file be behind
    // /dev/stdout.
    out.flush();
    if (path == standard_output) {
        out.write(reinterpret_cast<const char*>(image.data()), image_size);
        out.flush();
        if (!out)
            return output_name(path) + ": cannot write";
        return std::nullopt;
    }
    DiskFileStore files;
    const auto written = files.write(path, image);
    if (const auto* failure = std::get_if<FileError>(&written))
        return escaped_text(path) + ": cannot write: " + escaped_text(failure->reason);
    return std::nullopt;
}

} // namespace pds::cli
