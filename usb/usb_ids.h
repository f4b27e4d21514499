// Names of USB vendors and products from the text of the usb.ids list many systems carry
// (/usr/share/misc/usb.ids, /usr/share/hwdata/usb.ids).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pds {

struct UsbIdNames {
    std::string vendor;  // empty when the list does not know the vendor
    std::string product; // empty when it does not know the product
};

UsbIdNames usb_id_names(std::string_view usb_ids, std::uint16_t vendor, std::uint16_t product);

} // namespace pds
