#pragma once

#include "editor/editor.h"

namespace pds {

// Copies the four list selections and both message lines into the image just before the
// image leaves the program. Leaves both lines in their hexadecimal view.
void capture_settings(Editor& editor);

} // namespace pds
