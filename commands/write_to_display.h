// "Write To Pole Display": captures the editor and writes the image into the display.
#pragma once

#include "editor/editor.h"

#include <cstdint>

namespace pds {

inline constexpr const char* download_successful =
    "                             Download successful!\r"
    "Please restart the Pole Display for the changes to take affect.";
inline constexpr const char* download_fail = "Download Fail ! Please retry again !";
inline constexpr const char* irc_check_error = "IRC check error ! Please retry again !";

// The pause after a successful write, with the port closed, before the lines return to
// their character view.
inline constexpr std::int32_t after_write_pause_ms = 1000;

void write_to_display(Editor& editor);

} // namespace pds
