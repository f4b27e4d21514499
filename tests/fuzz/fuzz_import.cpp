// Any text as a configuration for the command line's import: either it is refused with a
// reason (naming the field whenever the text is a JSON object), or the image it gives comes
// back unchanged through export and import.
#include "fuzz_check.h"
#include "image_json.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <variant>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pds;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto imported = cli::image_from_json(text);
    if (const auto* problem = std::get_if<cli::JsonProblem>(&imported)) {
        fuzz::check(!problem->reason.empty(), "a refusal gives its reason");
        if (size <= cli::json_size_limit && nlohmann::json::accept(text) &&
            nlohmann::json::parse(text).is_object())
            fuzz::check(!problem->field.empty(), "a refused object names its field");
        return 0;
    }
    const ImageBytes& image = std::get<ImageBytes>(imported);
    const auto again = cli::image_from_json(cli::export_text(image));
    fuzz::check(std::holds_alternative<ImageBytes>(again), "an export imports again");
    fuzz::check(std::get<ImageBytes>(again) == image, "export then import keeps every byte");
    return 0;
}
