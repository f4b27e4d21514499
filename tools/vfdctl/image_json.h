// A configuration as JSON, under the same field names as `show` and `diff` use. Every byte is
// carried as a number, so export then import gives back the same 126 bytes; the readable
// companions (entry texts, line text, dots) are written too and, when given on import, must
// agree with the numbers, or stand in for them when the numbers are left out.
#pragma once

#include "glyphs/missing_signs.h"
#include "settings/settings_image.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pds::cli {

nlohmann::json image_to_json(const ImageBytes& image);

// The configuration as export prints it: indented by four, keys in order, a newline at the end.
std::string export_text(const ImageBytes& image);

struct JsonProblem {
    std::string field;  // e.g. "welcome_line1.bytes[3]"; empty when the text is no JSON object
    std::string reason; // e.g. "300 is not a byte (0 to 255)"
};

// An exported configuration takes some 6 KiB; a text larger than this is refused unread, so a
// huge file costs no memory for a parse that could only fail.
inline constexpr std::size_t json_size_limit = 1024 * 1024;

// What import does with a line's character that its code page lacks: refuse the configuration
// (the default), or draw it as a user-defined character, as the window's "Add Missing
// Characters" does, and report it in `placed`.
struct MissingSignChoice {
    bool add = false;
    std::vector<PlacedSign> placed;
};

// The image a configuration describes, or the first thing wrong with it. Every field must be
// present and no other, and no object may hold a key twice; list codes must name an entry, as
// the window's Load demands. A line's text is read in the code page the configuration names.
// Keys and texts from `text` are escaped in the problem.
std::variant<ImageBytes, JsonProblem> image_from_json(std::string_view text,
                                                      MissingSignChoice* missing = nullptr);

} // namespace pds::cli
