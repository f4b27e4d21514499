// A stored configuration as a person reads it on the console.
#pragma once

#include "settings/settings_image.h"

#include <string>

namespace pds::display {

// The four list settings by entry name, both welcome lines, and each user-defined character's
// code with its dots drawn in # and . (the nine side by side), one item a line.
std::string describe_configuration(const ImageBytes& memory);

} // namespace pds::display
