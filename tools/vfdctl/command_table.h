// vfdctl's commands, each named once: the options it takes, the operands it needs, and its body.
#pragma once

#include "arguments.h"

#include <optional>
#include <string>
#include <vector>

namespace pds::cli {

struct CommandContext;

struct CommandSpec {
    std::string name;
    std::string synopsis;             // as --help lists it: "read --port P -o FILE.vfd"
    std::vector<std::string> summary; // what it does, as --help wraps it
    std::vector<std::string> options; // as their long names, "output" for -o
    std::optional<std::string> (*operand_problem)(const Arguments&);
    int (*body)(CommandContext&);
};

// In the order --help lists them.
const std::vector<CommandSpec>& command_table();

// The command so named, or nothing.
const CommandSpec* command_named(const std::string& name);

// "read, write, ... or find".
std::string command_names();

} // namespace pds::cli
