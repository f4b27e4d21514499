// The window's own commands: start-up, shut-down and help. They act on the editor
// alone, so the window that calls them only draws.
#pragma once

#include "editor/editor.h"
#include "version.h"

#include <string>

namespace pds {

inline constexpr const char* window_caption = "Vela Pole Display Setup v" PDS_VERSION;
inline constexpr const char* help_document_name = "Vela Pole Display.pdf";

// Fills the lists, applies the factory defaults, shows both lines as characters, puts the
// character page on character 1 and shows the first tab. Opens no port.
void start_up(Editor& editor);

// Closes the port if a transfer left it open. Asks nothing and never refuses.
void shut_down(Editor& editor);

// The help document's full path inside the folder the program started in.
std::string help_document_path(const std::string& startup_folder);

// Hands the help document to the desktop shell. The answer is not examined: a missing
// document or viewer shows nothing.
void open_help(Editor& editor, const std::string& startup_folder);

} // namespace pds
