// vfdctl's command line: its options and operands, parsed with CLI11.
#pragma once

#include <string>
#include <variant>
#include <vector>

namespace pds::cli {

struct Arguments {
    std::string command; // empty when none was given
    std::vector<std::string> operands;
    std::vector<std::string> ports;
    std::vector<std::string> outputs;
    std::string baud = "9600";
    bool baud_given = false;
    bool force = false;
    bool no_verify = false;
    bool preview = false;
    bool ascii = false;
    bool add_missing = false;
    bool self_test = false;
    std::string command_set; // --command-set as given; empty when not given
    bool command_set_given = false;
    std::string line;  // --line as given
    bool line_given = false;
    std::string code_page; // --code-page as given
    bool code_page_given = false;
    std::string pause; // --pause as given
    bool pause_given = false;
    bool quiet = false;
    bool json = false;
    bool help = false;
    bool version = false;
};

struct ArgumentError {
    std::string text; // as the parser words it, unescaped
};

// `arguments` are those after the program's name.
std::variant<Arguments, ArgumentError> parse_arguments(const std::vector<std::string>& arguments);

// Whether --json is among the options, for a document even when the rest cannot be parsed.
bool asks_for_json(const std::vector<std::string>& arguments);

// The text --help prints; `program` is the name the program was started by.
std::string help_text(const std::string& program);

} // namespace pds::cli
