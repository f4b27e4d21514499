#include "settings/settings_image.h"

#include <algorithm>

namespace pds {

ImageBytes SettingsImage::payload() const {
    ImageBytes out;
    std::copy(bytes.begin() + 1, bytes.end(), out.begin());
    return out;
}

void SettingsImage::set_payload(std::span<const std::uint8_t, image_size> payload) {
    std::copy(payload.begin(), payload.end(), bytes.begin() + 1);
}

} // namespace pds
