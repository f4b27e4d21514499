#include "option_rules.h"

#include "command_table.h"
#include "display_jobs.h"
#include "display_sets/command_sets.h"
#include "inspect/describe.h"
#include "link/serial_line.h"
#include "settings/option_lists.h"
#include "settings_files.h"
#include "shown_name.h"

#include <algorithm>
#include <filesystem>
#include <map>

namespace pds::cli {

namespace {

// The device itself, so that two names of it compare equal: "Com 1" and /dev/ttyS0,
// /dev/pts/3 and /dev//pts/3, a link and what it points to.
std::string device_identity(const std::string& port) {
    const std::string device = device_for(port_choice(port), this_host()).device.value_or(port);
    if (this_host() == HostSystem::Windows)
        return com_port_name(device).value_or(device);
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path canonical = fs::canonical(device, error);
    if (!error)
        return canonical.string();
    std::string clean = fs::path(device).lexically_normal().string();
    if (clean.size() > 1 && clean.ends_with('/'))
        clean.pop_back();
    return clean;
}

// A whole number from `low` to `high`, written in decimal digits only.
std::optional<int> whole_number(const std::string& text, int low, int high) {
    if (text.empty() || text.size() > 6 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int value = std::stoi(text);
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

// What say, clear, brightness and test share: --port, and a set the Command list names.
std::optional<std::string> speaking_problem(const Arguments& arguments) {
    if (arguments.ports.empty())
        return arguments.command + " needs --port";
    if (arguments.command_set_given && !command_set_of_name(arguments.command_set)) {
        std::string names;
        for (std::size_t i = 0; i < command_entries.size(); ++i)
            names += (i == 0 ? "" : i + 1 == command_entries.size() ? " or " : ", ") +
                     std::string(command_entries[i].substr(0, command_entries[i].find(" (")));
        return "--command-set takes " + names + ", not \"" + escaped_text(arguments.command_set) +
               "\"";
    }
    if (arguments.code_page_given && !arguments.command_set_given)
        return "--code-page goes with --command-set: without it the display's own is used";
    if (arguments.code_page_given && !code_page_place(arguments.code_page))
        return "--code-page takes a place in the Char list, 0 to " +
               std::to_string(char_entries.size() - 1) + ", not \"" +
               escaped_text(arguments.code_page) + "\"";
    return std::nullopt;
}

} // namespace

std::optional<int> code_page_place(const std::string& text) {
    return whole_number(text, 0, static_cast<int>(char_entries.size()) - 1);
}

std::optional<int> pause_ms(const std::string& text) { return whole_number(text, 0, 60000); }

std::optional<std::vector<int>> speeds(const std::string& baud) {
    if (baud == "9600")
        return std::vector<int>{9600};
    if (baud == "19200")
        return std::vector<int>{19200};
    if (baud == "auto")
        return std::vector<int>{9600, 19200};
    return std::nullopt;
}

std::optional<std::string> names_no_device(const std::string& given, const std::string& port) {
    if (device_for(port_choice(port), this_host()).device)
        return std::nullopt;
    return given + " names no device: give Com 1 to Com 8 or a device such as " +
           (this_host() == HostSystem::Windows ? "COM12" : "/dev/ttyUSB0");
}

std::optional<std::pair<std::string, std::string>>
same_device(const std::vector<std::string>& ports) {
    std::map<std::string, std::string> seen;
    for (const auto& port : ports) {
        const auto [earlier, fresh] = seen.emplace(device_identity(port), port);
        if (!fresh)
            return std::pair{earlier->second, port};
    }
    return std::nullopt;
}

std::string given_twice(const std::pair<std::string, std::string>& names) {
    if (names.first == names.second)
        return "the port " + shown_name(names.first) + " is given twice";
    return "the ports " + shown_name(names.first) + " and " + shown_name(names.second) +
           " are the same device";
}

std::optional<std::string> option_problem(const Arguments& arguments, const CommandSpec& command,
                                          bool json, bool data_on_out) {
    const std::pair<std::string, bool> options[] = {
        {"port", !arguments.ports.empty()},
        {"baud", arguments.baud_given},
        {"output", !arguments.outputs.empty()},
        {"force", arguments.force},
        {"no-verify", arguments.no_verify},
        {"preview", arguments.preview},
        {"ascii", arguments.ascii},
        {"add-missing", arguments.add_missing},
        {"command-set", arguments.command_set_given},
        {"line", arguments.line_given},
        {"code-page", arguments.code_page_given},
        {"self-test", arguments.self_test},
        {"pause", arguments.pause_given},
    };
    for (const auto& [option, given] : options)
        if (given && std::find(command.options.begin(), command.options.end(), option) ==
                         command.options.end())
            return (option == "output" ? "-o" : "--" + option) + " does not apply to " +
                   arguments.command;
    if (arguments.ascii && !arguments.preview)
        return "--ascii applies to --preview only";
    if (!speeds(arguments.baud))
        return "--baud takes 9600, 19200 or auto, not \"" + escaped_text(arguments.baud) + "\"";
    for (const auto& port : arguments.ports)
        if (const auto problem = names_no_device("--port \"" + shown_name(port) + "\"", port))
            return problem;
    if (const auto twice = same_device(arguments.ports))
        return given_twice(*twice);
    if (json && data_on_out)
        return "-o - does not go with --json, whose document takes standard output";
    return std::nullopt;
}

std::optional<std::string> read_operands(const Arguments& arguments) {
    if (!arguments.operands.empty())
        return "read takes no file operand; name the file with -o";
    if (arguments.ports.empty())
        return "read needs --port";
    if (arguments.outputs.size() != arguments.ports.size())
        return "read needs one -o for each --port";
    if (const auto twice = same_file(arguments.outputs)) {
        if (twice->first == twice->second)
            return "an -o file is given twice";
        return "the -o files " + shown_name(twice->first) + " and " + shown_name(twice->second) +
               " are the same file";
    }
    return std::nullopt;
}

std::optional<std::string> write_operands(const Arguments& arguments) {
    if (arguments.operands.size() != 1)
        return "write needs one settings file";
    if (arguments.ports.empty())
        return "write needs --port";
    return std::nullopt;
}

std::optional<std::string> show_operands(const Arguments& arguments) {
    if (arguments.operands.size() + (arguments.ports.empty() ? 0 : 1) != 1)
        return "show needs either one settings file or --port";
    return std::nullopt;
}

std::optional<std::string> diff_operands(const Arguments& arguments) {
    if (arguments.operands.size() != 2)
        return "diff needs two operands, each a settings file or port:P";
    return std::nullopt;
}

std::optional<std::string> export_operands(const Arguments& arguments) {
    if (arguments.operands.size() != 1)
        return "export needs one settings file";
    return std::nullopt;
}

std::optional<std::string> import_operands(const Arguments& arguments) {
    if (arguments.operands.size() != 1)
        return "import needs one JSON file";
    if (arguments.outputs.size() != 1)
        return "import needs one -o file";
    return std::nullopt;
}

std::optional<std::string> say_operands(const Arguments& arguments) {
    if (const auto problem = speaking_problem(arguments))
        return problem;
    if (arguments.line_given && arguments.line != "1" && arguments.line != "2")
        return "--line takes 1 or 2, not \"" + escaped_text(arguments.line) + "\"";
    if (arguments.operands.size() != 1)
        return "say needs one text (quote it when it has blanks; put -- before one that begins "
               "with -)";
    return std::nullopt;
}

std::optional<std::string> clear_operands(const Arguments& arguments) {
    if (const auto problem = speaking_problem(arguments))
        return problem;
    return no_operands(arguments);
}

std::optional<std::string> brightness_operands(const Arguments& arguments) {
    if (const auto problem = speaking_problem(arguments))
        return problem;
    if (arguments.operands.size() != 1 ||
        !whole_number(arguments.operands[0], 1, brightness_level_count))
        return "brightness needs one level, 1 (dimmest) to " +
               std::to_string(brightness_level_count) + " (brightest)";
    return std::nullopt;
}

std::optional<std::string> test_operands(const Arguments& arguments) {
    if (const auto problem = speaking_problem(arguments))
        return problem;
    if (arguments.pause_given && !pause_ms(arguments.pause))
        return "--pause takes milliseconds from 0 to 60000, not \"" +
               escaped_text(arguments.pause) + "\"";
    return no_operands(arguments);
}

std::optional<std::string> no_operands(const Arguments& arguments) {
    if (!arguments.operands.empty())
        return arguments.command + " takes no operand";
    return std::nullopt;
}

} // namespace pds::cli
