#include "inspect/image_fields.h"

#include "udc/slot_codec.h"

namespace pds {

namespace {

constexpr ImageField list_field(const ImageListField& list) {
    return {list.name, FieldKind::List, list.position, 1, &list};
}

constexpr ImageField character(std::string_view name, int number) {
    return {name, FieldKind::Character, udc_slot_start(number), udc_slot_size};
}

} // namespace

// Initialised at compile time, so no other file's static data can see it unfilled.
constinit const std::array<ImageField, 20> image_fields{{
    list_field(image_list_fields[0]),
    list_field(image_list_fields[1]),
    list_field(image_list_fields[2]),
    list_field(image_list_fields[3]),
    {"welcome_line1", FieldKind::Line, position::welcome_line1, 20},
    {"welcome_line2", FieldKind::Line, position::welcome_line2, 40},
    character("udc_1", 1),
    character("udc_2", 2),
    character("udc_3", 3),
    character("udc_4", 4),
    character("udc_5", 5),
    character("udc_6", 6),
    character("udc_7", 7),
    character("udc_8", 8),
    character("udc_9", 9),
    {"reserved_1", FieldKind::Reserved, position::reserved_1, 1},
    {"reserved_3", FieldKind::Reserved, position::reserved_3, 1},
    {"reserved_5", FieldKind::Reserved, position::reserved_5, 1},
    {"reserved_67", FieldKind::Reserved, position::reserved_67, 1},
    {"reserved_tail", FieldKind::Reserved, position::reserved_tail,
     image_size - position::reserved_tail + 1},
}};

std::span<const std::uint8_t> field_bytes(const ImageBytes& image, const ImageField& field) {
    return bytes_at(image, field.first, field.length);
}

std::span<std::uint8_t> field_bytes(ImageBytes& image, const ImageField& field) {
    return bytes_at(image, field.first, field.length);
}

} // namespace pds
