#pragma once

#include <string>
#include <string_view>

namespace pds::cli {

// A file or port name from the command line as messages repeat it: escaped as any text from
// outside, except on Windows, where the backslash separates folders and a name prints as it
// was typed, only its control characters escaped.
std::string shown_name(std::string_view name);

} // namespace pds::cli
