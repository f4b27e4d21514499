// What a command line must hold before any command starts: options that apply to the command,
// speeds, ports that name distinct devices, and the operands each command takes.
#pragma once

#include "arguments.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pds::cli {

struct CommandSpec;

// The speeds --baud asks for, in the order to try them; nothing when it names none.
std::optional<std::vector<int>> speeds(const std::string& baud);

// Why a port as given names no device, if it names none.
std::optional<std::string> names_no_device(const std::string& given, const std::string& port);

// The first two of `ports` that are one device, if any.
std::optional<std::pair<std::string, std::string>>
same_device(const std::vector<std::string>& ports);

// The message for two names of one port.
std::string given_twice(const std::pair<std::string, std::string>& names);

// What is wrong with the options given to `command`, in the order they are checked; `json`
// and `data_on_out` say where the output goes.
std::optional<std::string> option_problem(const Arguments& arguments, const CommandSpec& command,
                                          bool json, bool data_on_out);

// The operands and -o files each command takes; what is wrong with them, if anything.
std::optional<std::string> read_operands(const Arguments& arguments);
std::optional<std::string> write_operands(const Arguments& arguments);
std::optional<std::string> show_operands(const Arguments& arguments);
std::optional<std::string> diff_operands(const Arguments& arguments);
std::optional<std::string> export_operands(const Arguments& arguments);
std::optional<std::string> import_operands(const Arguments& arguments);
std::optional<std::string> no_operands(const Arguments& arguments);
std::optional<std::string> say_operands(const Arguments& arguments);
std::optional<std::string> clear_operands(const Arguments& arguments);
std::optional<std::string> brightness_operands(const Arguments& arguments);
std::optional<std::string> test_operands(const Arguments& arguments);

// --code-page as a place in the Char list; nothing when it names none.
std::optional<int> code_page_place(const std::string& text);

// --pause in milliseconds; nothing when it is not a whole number from 0 to 60000.
std::optional<int> pause_ms(const std::string& text);

} // namespace pds::cli
