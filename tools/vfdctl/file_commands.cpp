// export and import: a settings file as JSON, and back.
#include "adapters/system_file_store.h"
#include "command_bodies.h"
#include "exit_codes.h"
#include "image_json.h"
#include "inspect/describe.h"
#include "message/charset.h"
#include "settings_files.h"
#include "shown_name.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <variant>

namespace pds::cli {

int export_configuration(CommandContext& context) {
    const auto& operands = context.arguments.operands;
    const auto loaded = load_settings(operands[0], true);
    if (const auto* problem = std::get_if<std::string>(&loaded))
        return bad_file(context.output, *problem);
    if (context.output.json) {
        context.extra["configuration"] = configuration(std::get<ImageBytes>(loaded));
        context.success = "exported " + shown_name(operands[0]);
    } else {
        context.output.out << export_text(std::get<ImageBytes>(loaded));
    }
    return exit_success;
}

int import_configuration(CommandContext& context) {
    const auto& operands = context.arguments.operands;
    const auto& outputs = context.arguments.outputs;
    Output& output = context.output;
    const std::string source = shown_name(operands[0]);
    // One byte past the limit is enough to know the file is over it.
    const auto read = SystemFileStore().read(operands[0], json_size_limit + 1);
    if (const auto* failure = std::get_if<FileError>(&read))
        return bad_file(output, source + ": cannot read: " + escaped_text(failure->reason));
    const auto& text = std::get<std::vector<std::uint8_t>>(read);
    MissingSignChoice missing{context.arguments.add_missing, {}};
    const auto parsed = image_from_json(
        std::string_view(reinterpret_cast<const char*>(text.data()), text.size()), &missing);
    if (const auto* problem = std::get_if<JsonProblem>(&parsed))
        return bad_file(output, source + ": " +
                                    (problem->field.empty() ? "" : problem->field + ": ") +
                                    problem->reason + "; nothing written");
    if (const auto failure = save_settings(outputs[0], std::get<ImageBytes>(parsed), output.out))
        return bad_file(output, *failure);
    // The character is named by its code point, as texts from a file are never repeated raw.
    for (const auto& sign : missing.placed) {
        char name[16];
        std::snprintf(name, sizeof name, "U+%04X",
                      static_cast<unsigned>(code_point_of(sign.character)));
        output.say(name + placed_sign_text(sign).substr(sign.character.size()));
    }
    context.success = "wrote " + output_name(outputs[0]);
    output.say(context.success);
    context.extra["configuration"] = configuration(std::get<ImageBytes>(parsed));
    context.extra["output"] = document_name(outputs[0]);
    return exit_success;
}

} // namespace pds::cli
