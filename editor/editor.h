// The one object behind the window: the controls' values, the settings image, the editor
// fields beside them and the services of the system. Every command acts on it.
#pragma once

#include "editor/editor_model.h"
#include "glyphs/missing_signs.h"
#include "services/services.h"
#include "settings/settings_image.h"
#include "udc/slot_codec.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pds {

inline constexpr std::uint8_t first_udc_start = udc_slot_start(1);

struct Editor {
    explicit Editor(Services& services) : services(services) {}

    EditorModel model;
    SettingsImage image;

    std::string file_name;                    // full path from the last Save or Load dialog
    std::uint8_t udc_number = 1;              // character shown on the character page, 1..9
    std::uint8_t udc_start = first_udc_start; // image position of its slot
    std::uint8_t udc_code = 0;                // code last accepted from the code box
    std::vector<MissingCharacter> missing;    // typed characters the code page lacks, by cell

    Services& services;
};

} // namespace pds
