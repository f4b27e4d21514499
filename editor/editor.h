// The one object behind the window: the controls' values, the settings image, the editor
// fields beside them and the platform services. Every subsystem's handlers act on it.
#pragma once

#include "editor/editor_model.h"
#include "platform/platform.h"
#include "settings/settings_image.h"

#include <cstdint>
#include <string>

namespace pds {

inline constexpr std::uint8_t first_udc_start = 69;

struct Editor {
    explicit Editor(Platform& services) : platform(services) {}

    EditorModel model;
    SettingsImage image;

    std::string file_name;                    // full path from the last Save or Load dialog
    std::uint8_t udc_number = 1;              // character shown on the character page, 1..9
    std::uint8_t udc_start = first_udc_start; // image position of its slot
    std::uint8_t udc_code = 0;                // code last accepted from UDC_TEXT

    Platform& platform;
};

} // namespace pds
