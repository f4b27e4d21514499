#include "arguments.h"

#include "command_table.h"
#include "exit_codes.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <iterator>
#include <optional>

namespace pds::cli {

namespace {

const char* const description =
    R"(Reads, writes, shows and compares the configuration of pole displays, for scripts.

)";

const char* const after_commands =
    R"(Give --port several times (and -o once for each) to work on several displays at once.
-o replaces a regular file as a whole, or not at all; a device, FIFO or terminal is written
as it is, and -o - writes to standard output (the report lines then go to standard error).
Files read must be regular files; a JSON file at most 1 MiB.

)";

const char* const after_exit_statuses =
    R"(With several ports, the status is that of the first port, in the order given, that failed.

An interruption never leaves a display with part of a configuration: one that has begun to
receive it gets all of it (about 130 ms at 9600 bit/s), unverified, before vfdctl stops; the
others keep what they held. Every port gets back the line settings it had.

A port another program has open is refused with status 4 before anything is sent on it,
naming that program and its process where the system shows them (Linux: /proc). A user
other than root cannot see the processes of other users: a port one of them holds open
without a lock or exclusive use looks free. A line on which something keeps sending, so
that it never falls quiet, is refused with status 4 too, and nothing is sent into it.
)";

// Laid out as the options were listed before the parser changed, so that scripts and
// documents quoting them stay right.
const char* const options =
    R"(Options:
  -h, --help           Displays help on commandline options.
  -v, --version        Displays version information.
  --port <PORT>        Serial device of a display: /dev/ttyUSB0, COM3, or Com 1
                       to Com 8 as in the window. Give it several times for
                       several displays.
  --baud <BAUD>        Line speed: 9600, 19200, or auto (9600, then 19200).
  -o, --output <FILE>  The file to write; once for each --port. - is standard
                       output.
  --force              write: write even when the display already holds the
                       file.
  --no-verify          write: do not read back and compare.
  --preview            show: the welcome lines in the display's 5 x 7 dots, in
                       the configuration's code page with its user-defined
                       characters, drawn in braille; then the codes without a
                       glyph, drawn hatched.
  --ascii              show --preview: draw the dots as # (lit) and . (unlit).
  --add-missing        import: draw each character of a line's text that its
                       code page lacks as a user-defined character, as the
                       window's "Add Missing Characters" does.
  --command-set <SET>  say, clear, brightness, test: speak this command set, as
                       the Command list names it (EPSON for EPSON (Default)),
                       without reading the display first; for a display that
                       does not answer the read. Its code page is then CP-437
                       unless --code-page names another.
  --code-page <N>      With --command-set: the code page, as its place in the
                       Char list, 0 to 35 (30 for Russian (CP-866)).
  --line <LINE>        say: the line the text goes on, 1 (the default) or 2.
  --self-test          test: end with the display's own self-test.
  --pause <MS>         test: how long each step stays on the display, in
                       milliseconds (default 1000, at most 60000).
  -q, --quiet          Print only errors (export still prints its JSON).
  --json               Print one JSON document with the outcome instead of
                       lines; see the README.
)";

// Each command's synopsis in a column of its own, what it does beside it.
std::string commands_help() {
    const std::size_t column = 34;
    std::string text = "Commands:\n";
    for (const auto& command : command_table()) {
        std::string synopsis = "  " + command.synopsis;
        text +=
            synopsis + std::string(column - synopsis.size(), ' ') + command.summary.front() + "\n";
        for (std::size_t i = 1; i < command.summary.size(); ++i)
            text += std::string(column, ' ') + command.summary[i] + "\n";
    }
    return text;
}

// Each exit status with what it means.
std::string exit_statuses_help() {
    std::string text = "Exit status:\n";
    for (const auto& status : exit_statuses()) {
        std::string codes;
        for (int code : status.codes)
            codes += (codes.empty() ? "" : ", ") + std::to_string(code);
        text += "  " + codes + "  " + status.explanation + "\n";
    }
    return text;
}

// The operands, under the options; the command names come from the table.
std::string arguments_help() {
    return "\nArguments:\n  command              " + command_names() +
           ".\n  operands             Files, or port:P for diff.\n";
}

const char* const end_of_options = "--";

struct Flag {
    const char* names;
    bool Arguments::*member;
};

const Flag flags[] = {
    {"-h,--help,--help-all", &Arguments::help},
    {"-v,--version", &Arguments::version},
    {"--force", &Arguments::force},
    {"--no-verify", &Arguments::no_verify},
    {"--preview", &Arguments::preview},
    {"--ascii", &Arguments::ascii},
    {"--add-missing", &Arguments::add_missing},
    {"--self-test", &Arguments::self_test},
    {"-q,--quiet", &Arguments::quiet},
    {"--json", &Arguments::json},
};

// The options that take a value, as they may be typed.
const char* const valued[] = {"--port", "--baud",        "--output", "-o", "--command-set",
                              "--line", "--code-page", "--pause"};

bool is_valued(const std::string& name) {
    return std::find(std::begin(valued), std::end(valued), name) != std::end(valued);
}

// The arguments before the first "--", which ends the options.
std::vector<std::string> before_end(const std::vector<std::string>& arguments) {
    return {arguments.begin(), std::find(arguments.begin(), arguments.end(), end_of_options)};
}

// "--flag=value": a value given to an option that takes none.
std::optional<std::string> flag_with_value(const std::vector<std::string>& arguments) {
    for (const auto& argument : before_end(arguments)) {
        const auto equals = argument.find('=');
        if (equals == std::string::npos || equals < 2)
            continue;
        const std::string name = argument.substr(0, equals);
        if (!argument.starts_with("--") && name.size() != 2)
            continue;
        for (const auto& flag : flags) {
            const std::string names = std::string(",") + flag.names + ",";
            if (names.find("," + name + ",") != std::string::npos)
                return "Unexpected value after '" + name + "'.";
        }
    }
    return std::nullopt;
}

// The way an option that lacks its value was typed: the last of its names on the line.
std::string typed_name(const std::vector<std::string>& arguments, const std::string& long_name) {
    const auto options = before_end(arguments);
    for (auto it = options.rbegin(); it != options.rend(); ++it) {
        if (*it == long_name ||
            (long_name == "--output" && it->starts_with("-o") && !it->starts_with("--")))
            return *it;
        if (it->size() > 2 && (*it)[0] == '-' && (*it)[1] != '-' && it->back() == 'o')
            return *it; // short options run together, the last of them -o
    }
    return long_name;
}

// "--port=" gives an empty value; CLI11 counts it as none, so it gets the empty word instead.
std::vector<std::string> empty_values_spelled_out(const std::vector<std::string>& arguments) {
    std::vector<std::string> spelled;
    bool options = true;
    for (const auto& argument : arguments) {
        if (argument == end_of_options)
            options = false;
        if (options && argument.ends_with('=') &&
            is_valued(argument.substr(0, argument.size() - 1))) {
            spelled.push_back(argument.substr(0, argument.size() - 1));
            spelled.emplace_back();
            continue;
        }
        spelled.push_back(argument);
    }
    return spelled;
}

// Option names as a person typed them, without their dashes; short options run together
// are each a name.
void add_unknown(const std::string& argument, std::vector<std::string>& names) {
    if (argument.starts_with("--")) {
        names.push_back(argument.substr(2, argument.find('=') - 2));
        return;
    }
    for (std::size_t i = 1; i < argument.size(); ++i)
        names.push_back(argument.substr(i, 1));
}

std::string unknown_text(const std::vector<std::string>& names) {
    if (names.size() == 1)
        return "Unknown option '" + names.front() + "'.";
    std::string text = "Unknown options: ";
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i ? ", " : "") + names[i];
    return text + ".";
}

} // namespace

std::variant<Arguments, ArgumentError> parse_arguments(const std::vector<std::string>& given) {
    if (const auto problem = flag_with_value(given))
        return ArgumentError{*problem};

    Arguments parsed;
    CLI::App app;
    app.set_help_flag();
    // Unknown options are collected and named together, after the values are checked.
    app.allow_extras();
    // On Windows a word that starts with a slash is a path from the drive's root, not /option.
    app.allow_windows_style_options(false);
    for (const auto& flag : flags)
        app.add_flag(flag.names, parsed.*flag.member)->disable_flag_override();
    // One value per --port or -o, however many times they are given.
    app.add_option("--port", parsed.ports)->allow_extra_args(false);
    app.add_option("-o,--output", parsed.outputs)->allow_extra_args(false);
    CLI::Option* baud = app.add_option("--baud", parsed.baud)
                            ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    CLI::Option* command_set = app.add_option("--command-set", parsed.command_set)
                                   ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    CLI::Option* line =
        app.add_option("--line", parsed.line)->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    CLI::Option* code_page = app.add_option("--code-page", parsed.code_page)
                                 ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    CLI::Option* pause = app.add_option("--pause", parsed.pause)
                             ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_option("command", parsed.command);
    app.add_option("operands", parsed.operands);

    std::vector<std::string> reversed = empty_values_spelled_out(given);
    std::reverse(reversed.begin(), reversed.end()); // CLI11 takes them from the back
    try {
        app.parse(reversed);
    } catch (const CLI::ArgumentMismatch& mismatch) {
        const std::string what = mismatch.what();
        return ArgumentError{"Missing value after '" +
                             typed_name(given, what.substr(0, what.find(':'))) + "'."};
    } catch (const CLI::ParseError& error) {
        return ArgumentError{error.what()};
    }
    parsed.baud_given = baud->count() > 0;
    parsed.command_set_given = command_set->count() > 0;
    parsed.line_given = line->count() > 0;
    parsed.code_page_given = code_page->count() > 0;
    parsed.pause_given = pause->count() > 0;

    std::vector<std::string> unknown;
    for (const auto& extra : app.remaining())
        if (extra != end_of_options)
            add_unknown(extra, unknown);
    // Words CLI11 takes for operands, although they look like options, before the "--".
    const auto options = before_end(given);
    std::vector<std::string> words = parsed.operands;
    words.insert(words.begin(), parsed.command);
    for (const auto& word : words)
        if (word.size() > 1 && word[0] == '-' &&
            std::find(options.begin(), options.end(), word) != options.end())
            add_unknown(word, unknown);
    if (!unknown.empty())
        return ArgumentError{unknown_text(unknown)};
    return parsed;
}

bool asks_for_json(const std::vector<std::string>& arguments) {
    const auto options = before_end(arguments);
    return std::find(options.begin(), options.end(), "--json") != options.end();
}

std::string help_text(const std::string& program) {
    return "Usage: " + program + " [options] COMMAND [OPERAND...]\n" + description +
           commands_help() + after_commands + exit_statuses_help() + after_exit_statuses + "\n" +
           options + arguments_help();
}

} // namespace pds::cli
