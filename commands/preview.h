// The image the editor would write at this moment, for the dot preview. Unlike a write it
// leaves the editor as it is: the lines keep their view, the code box its text.
#pragma once

#include "editor/editor.h"
#include "settings/settings_image.h"

namespace pds {

// The lists and both lines as capture_settings packs them; and, when the code box holds a
// valid code, the drawing on the character page in its slot, so a character shows before the
// operator steps away from it.
ImageBytes preview_image(const Editor& editor);

} // namespace pds
