// "Set All Default": the factory configuration, also applied at every start-up.
#pragma once

#include "editor/editor.h"

namespace pds {

inline constexpr const char* default_line1 = "*VFD DISPLAY ORBIT *";
inline constexpr const char* default_line2 = "**HAVE A NICE DAY AND THANK YOU**";

// Resets the four setting lists, both welcome lines and the character page. The image takes
// the list and line values at the next capture; of the character table only positions 69..72
// are cleared here. The host's port and line settings and file_name are left alone.
void set_all_default(Editor& editor);

} // namespace pds
