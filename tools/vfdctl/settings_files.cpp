#include "settings_files.h"

#include "adapters/system_file_store.h"
#include "file/file_check.h"
#include "file/file_kinds.h"
#include "inspect/describe.h"
#include "shown_name.h"

#include <algorithm>
#include <map>

namespace pds::cli {

std::string output_name(const std::string& path) {
    return path == standard_output ? "standard output" : shown_name(path);
}

std::optional<std::pair<std::string, std::string>>
same_file(const std::vector<std::string>& paths) {
    std::map<std::string, std::string> seen;
    for (const auto& path : paths) {
        const auto [earlier, fresh] =
            seen.emplace(path == standard_output ? path : file_identity(path), path);
        if (!fresh)
            return std::pair{earlier->second, path};
    }
    return std::nullopt;
}

std::variant<ImageBytes, std::string> load_settings(const std::string& path, bool strict) {
    SystemFileStore files;
    const auto read = files.read(path, image_size);
    if (const auto* failure = std::get_if<FileError>(&read))
        return shown_name(path) + ": cannot read: " + escaped_text(failure->reason);
    const auto& contents = std::get<std::vector<std::uint8_t>>(read);
    const auto checked = check_settings_file(contents);
    if (const auto* image = std::get_if<ImageBytes>(&checked))
        return *image;
    const auto& problem = std::get<FileProblem>(checked);
    if (problem.field.empty())
        return shown_name(path) + ": " + problem.reason;
    if (strict)
        return shown_name(path) + ": " + problem.field + ": " + problem.reason;
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
    SystemFileStore files;
    const auto written = files.write(path, image);
    if (const auto* failure = std::get_if<FileError>(&written))
        return shown_name(path) + ": cannot write: " + escaped_text(failure->reason);
    return std::nullopt;
}

} // namespace pds::cli
