#include "settings/capture.h"

#include "message/message_editor.h"
#include "settings/option_lists.h"

#include <algorithm>

namespace pds {

namespace {
void capture_line(MessageLine& line, SettingsImage& image, int first_position) {
    select_view(line, MessageView::Hex);
    const auto bytes = pack_message_line(line);
    std::copy(bytes.begin(), bytes.end(), image.bytes.begin() + first_position);
}
} // namespace

void capture_settings(Editor& editor) {
    auto& model = editor.model;
    auto& image = editor.image;
    image[position::display_baud] = list_byte(model.BaudRate);
    image[position::code_page] = list_byte(model.Char);
    image[position::command_set] = list_byte(model.Command);
    image[position::passthru_mode] = list_byte(model.Passthru);
    capture_line(model.L1, image, position::welcome_line1);
    capture_line(model.L2, image, position::welcome_line2);
}

} // namespace pds
