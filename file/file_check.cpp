#include "file/file_check.h"

#include "settings/list_fields.h"

#include <algorithm>

namespace pds {

std::optional<FileProblem> list_code_problem(const ImageBytes& image) {
    for (const auto& field : image_list_fields) {
        const std::uint8_t code = at_position(image, field.position);
        if (!entry_text(field, code))
            return FileProblem{std::string(field.name),
                               std::to_string(code) + " names none of the " +
                                   std::to_string(field.entries.size()) + " entries of its list"};
    }
    return std::nullopt;
}

std::variant<ImageBytes, FileProblem> check_settings_file(std::span<const std::uint8_t> contents) {
    if (contents.size() < image_size)
        return FileProblem{{},
                           "holds " + std::to_string(contents.size()) +
                               " bytes; a settings file holds " + std::to_string(image_size)};
    ImageBytes image{};
    std::copy_n(contents.begin(), image_size, image.begin());
    if (auto problem = list_code_problem(image))
        return *problem;
    return image;
}

} // namespace pds
