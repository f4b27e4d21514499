#include "commands.h"

#include "arguments.h"
#include "command_bodies.h"
#include "command_document.h"
#include "command_table.h"
#include "exit_codes.h"
#include "inspect/describe.h"
#include "option_rules.h"
#include "settings_files.h"
#include "version.h"

#include <algorithm>

namespace pds::cli {

namespace {

// The command's own checks, then its body.
int run_command(CommandContext& context) {
    const std::string& name = context.arguments.command;
    if (name.empty())
        return usage(context.output, "a command is needed: " + command_names());
    const CommandSpec* command = command_named(name);
    if (!command)
        return usage(context.output, "unknown command \"" + escaped_text(name) + "\"");
    if (const auto problem = option_problem(context.arguments, *command, context.output.json,
                                            context.output.data_on_out))
        return usage(context.output, *problem);
    if (const auto problem = command->operand_problem(context.arguments))
        return usage(context.output, *problem);
    return command->body(context);
}

} // namespace

int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
        const MakeLinkServices& link_services, const MakeRunLinkServices& link_services_for_one_run,
        const ListPorts& listed_ports, const MakePortExaminer& port_examiner) {
    Output output{out, err};
    const std::vector<std::string> options(
        arguments.begin() + std::min<std::size_t>(1, arguments.size()), arguments.end());
    output.json = asks_for_json(options);
    begin_document(output.json);
    const auto parsed = parse_arguments(options);
    if (const auto* problem = std::get_if<ArgumentError>(&parsed)) {
        output.error("vfdctl: " + escaped_text(problem->text));
        output.error("Try \"vfdctl --help\".");
        return finish(exit_bad_arguments, "", output, Document::object(), "");
    }
    const auto& given = std::get<Arguments>(parsed);
    note_command(given.command);
    if (given.help) {
        out << help_text(arguments.empty() ? "vfdctl" : arguments.front());
        return exit_success;
    }
    if (given.version) {
        out << "vfdctl " << PDS_VERSION << '\n';
        return exit_success;
    }
    output.quiet = given.quiet;
    output.data_on_out = std::find(given.outputs.begin(), given.outputs.end(), standard_output) !=
                         given.outputs.end();
    CommandContext context{given,        output,       link_services, link_services_for_one_run,
                           listed_ports, port_examiner};
    const int status = run_command(context);
    return finish(status, given.command, output, context.extra, context.success);
}

} // namespace pds::cli
