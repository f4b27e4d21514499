// Windows' UTF-16 names and the UTF-8 text the core works in, both ways.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pds {

std::string utf8_text(std::wstring_view text);
std::wstring wide_text(std::string_view text);

// A program's arguments as wmain() has them, in UTF-8, so that no code page stands between
// what was typed and the files and ports it names.
std::vector<std::string> utf8_arguments(int argc, wchar_t** argv);

} // namespace pds
