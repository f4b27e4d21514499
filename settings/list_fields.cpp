#include "settings/list_fields.h"

namespace pds {

std::optional<std::string_view> entry_text(const ImageListField& field, std::uint8_t code) {
    if (code < field.entries.size())
        return field.entries[code];
    return std::nullopt;
}

} // namespace pds
