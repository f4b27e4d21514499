// Any text as a configuration for the command line's import: either it is refused with a
// reason (naming the field whenever the text is a JSON object), or the image it gives comes
// back unchanged through export and import.
#include "fuzz_check.h"
#include "image_json.h"

#include <QByteArray>
#include <QJsonDocument>

#include <cstddef>
#include <cstdint>
#include <variant>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pds;
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto imported = cli::image_from_json(text);
    if (const auto* problem = std::get_if<cli::JsonProblem>(&imported)) {
        fuzz::check(!problem->reason.empty(), "a refusal gives its reason");
        if (QJsonDocument::fromJson(text).isObject() &&
            static_cast<std::size_t>(text.size()) <= cli::json_size_limit)
            fuzz::check(!problem->field.empty(), "a refused object names its field");
        return 0;
    }
    const ImageBytes& image = std::get<ImageBytes>(imported);
    const QByteArray exported = QJsonDocument(cli::image_to_json(image)).toJson();
    const auto again = cli::image_from_json(exported);
    fuzz::check(std::holds_alternative<ImageBytes>(again), "an export imports again");
    fuzz::check(std::get<ImageBytes>(again) == image, "export then import keeps every byte");
    return 0;
}
