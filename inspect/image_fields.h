// The image cut into named fields, every position in exactly one: the names under which the
// command line shows, compares and exports a configuration.
#pragma once

#include "settings/list_fields.h"
#include "settings/settings_image.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace pds {

enum class FieldKind { List, Line, Character, Reserved };

struct ImageField {
    std::string_view name;
    FieldKind kind;
    int first; // image position of the field's first byte
    int length;
    const ImageListField* list = nullptr; // for FieldKind::List
};

// Lists, welcome lines, user-defined characters, then the reserved bytes: the order in which
// a person reads a configuration.
extern const std::array<ImageField, 20> image_fields;

std::span<const std::uint8_t> field_bytes(const ImageBytes& image, const ImageField& field);
std::span<std::uint8_t> field_bytes(ImageBytes& image, const ImageField& field);

} // namespace pds
