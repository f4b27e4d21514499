// Where a command's lines go: to standard output, to standard error, or, with --json, into the
// document instead.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace pds::cli {

struct Output {
    std::ostream& out;
    std::ostream& err;
    bool quiet = false;
    bool data_on_out = false; // a file goes to `out`, so reports must not
    bool json = false;        // the lines are kept for the document instead of printed
    std::vector<std::string> lines{};
    std::optional<std::string> first_error{};

    void say(const std::string& line);
    void error(const std::string& line);
};

} // namespace pds::cli
