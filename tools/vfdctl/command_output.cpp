#include "command_output.h"

namespace pds::cli {

void Output::say(const std::string& line) {
    if (json)
        lines.push_back(line);
    else if (!quiet)
        (data_on_out ? err : out) << line << '\n';
}

void Output::error(const std::string& line) {
    if (!json) {
        err << line << '\n';
        return;
    }
    lines.push_back(line);
    if (!first_error)
        first_error = line;
}

} // namespace pds::cli
