#pragma once

#include "editor/editor_model.h"
#include "link/link_settings.h"

namespace pds {

// The port and line settings a transfer uses, taken from the command band when it starts.
LinkSettings take_link_settings(const EditorModel& model);

} // namespace pds
