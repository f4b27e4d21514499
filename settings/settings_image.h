// The 126-byte configuration record shared by the display, the .vfd file and the editor.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace pds {

inline constexpr int image_size = 126;

// Image positions, counted from 1 as the display and the file count them.
namespace position {
inline constexpr int reserved_1 = 1;
inline constexpr int display_baud = 2;
inline constexpr int reserved_3 = 3;
inline constexpr int code_page = 4;
inline constexpr int reserved_5 = 5;
inline constexpr int command_set = 6;
inline constexpr int welcome_line1 = 7;  // 20 cells, 7..26
inline constexpr int welcome_line2 = 27; // 40 cells, 27..66
inline constexpr int reserved_67 = 67;
inline constexpr int passthru_mode = 68;
inline constexpr int udc_table = 69; // nine 6-byte slots, 69..122
inline constexpr int udc_table_end = 122;
inline constexpr int reserved_tail = 123; // 123..126
} // namespace position

using ImageBytes = std::array<std::uint8_t, image_size>;

// The byte at an image position 1..126 of the image proper.
constexpr std::uint8_t& at_position(ImageBytes& image, int position) {
    return image.at(static_cast<std::size_t>(position - 1));
}
constexpr std::uint8_t at_position(const ImageBytes& image, int position) {
    return image.at(static_cast<std::size_t>(position - 1));
}

// `length` bytes from image position `first` on.
constexpr std::span<const std::uint8_t> bytes_at(const ImageBytes& image, int first, int length) {
    return std::span(image).subspan(static_cast<std::size_t>(first - 1),
                                    static_cast<std::size_t>(length));
}
constexpr std::span<std::uint8_t> bytes_at(ImageBytes& image, int first, int length) {
    return std::span(image).subspan(static_cast<std::size_t>(first - 1),
                                    static_cast<std::size_t>(length));
}

struct SettingsImage {
    // Index 0 is reply_mark: only a read-back fills it. Indexes 1..126 are the image proper.
    std::array<std::uint8_t, image_size + 1> bytes{};

    std::uint8_t& operator[](int position) { return bytes.at(position); }
    std::uint8_t operator[](int position) const { return bytes.at(position); }
    // `length` bytes from position `first` on.
    std::span<const std::uint8_t> bytes_from(int first, int length) const {
        return std::span(bytes).subspan(static_cast<std::size_t>(first),
                                        static_cast<std::size_t>(length));
    }
    std::uint8_t& reply_mark() { return bytes[0]; }
    std::uint8_t reply_mark() const { return bytes[0]; }

    // Positions 1..126, in order: what the display receives and the file holds.
    ImageBytes payload() const;
    void set_payload(std::span<const std::uint8_t, image_size> payload);
    void clear() { bytes.fill(0); }

    bool operator==(const SettingsImage&) const = default;
};

} // namespace pds
