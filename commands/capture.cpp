#include "commands/capture.h"

#include "commands/welcome_lines.h"
#include "message/message_line.h"

#include <algorithm>

namespace pds {

namespace {
void capture_line(MessageLine& line, SettingsImage& image, int first_position,
                  const CodePageCharacters& page) {
    select_view(line, MessageView::Hex, page);
    const auto bytes = pack_message_line(line);
    std::copy(bytes.begin(), bytes.end(), image.bytes.begin() + first_position);
}
} // namespace

void capture_settings(Editor& editor) {
    auto& model = editor.model;
    auto& image = editor.image;
    // A pick-only list's code is its selected index.
    for (const auto& field : image_list_fields)
        image[field.position] = static_cast<std::uint8_t>(list_of(model, field).index);
    // The cells follow the page "Char" names, which is the one just put into the image.
    capture_line(model.line1, image, position::welcome_line1, chosen_characters(model));
    capture_line(model.line2, image, position::welcome_line2, chosen_characters(model));
}

} // namespace pds
