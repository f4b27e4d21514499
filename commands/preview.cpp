#include "commands/preview.h"

#include "commands/capture.h"
#include "commands/udc_page.h"
#include "udc/slot_codec.h"

namespace pds {

ImageBytes preview_image(const Editor& editor) {
    Editor copy = editor;
    capture_settings(copy);
    // Checked here rather than with parse_udc_code, which would show its refusal in a box.
    if (const auto code = parse_udc_code_text(copy.model.character_code).code) {
        copy.udc_code = *code;
        map_save(copy);
    }
    return copy.image.payload();
}

} // namespace pds
