// "Read Setting From Pole Display": fetches the display's configuration into the editor.
#pragma once

#include "editor/editor.h"

namespace pds {

inline constexpr const char* cant_be_open = " can't be open !!"; // follows the text of Comm
inline constexpr const char* receive_check_error = "Receive Check bit Error !!";
inline constexpr const char* upload_ok = "Upload O.K!";

// The image changes only with a complete reply whose mark is right: a failed read keeps the
// user-defined characters and reserved bytes that a later write or save passes on.
void read_from_display(Editor& editor);

} // namespace pds
