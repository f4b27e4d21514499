#include "usb/usb_ids.h"

#include <charconv>
#include <optional>

namespace pds {
namespace {

// "0403  Future Technology ...": the id and the name after the two spaces.
std::optional<std::pair<std::uint16_t, std::string_view>> id_line(std::string_view line) {
    if (line.size() < 7 || line.substr(4, 2) != "  ")
        return std::nullopt;
    unsigned id = 0;
    const auto [end, error] = std::from_chars(line.data(), line.data() + 4, id, 16);
    if (error != std::errc{} || end != line.data() + 4)
        return std::nullopt;
    return std::pair{static_cast<std::uint16_t>(id), line.substr(6)};
}

} // namespace

UsbIdNames usb_id_names(std::string_view usb_ids, std::uint16_t vendor, std::uint16_t product) {
    UsbIdNames names;
    bool in_vendor = false;
    while (!usb_ids.empty()) {
        const auto end = usb_ids.find('\n');
        std::string_view line = usb_ids.substr(0, end);
        usb_ids.remove_prefix(end == std::string_view::npos ? usb_ids.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() != '\t') {
            // A vendor, or the lists of classes and the rest that follow the vendors.
            if (in_vendor)
                break;
            const auto id = id_line(line);
            if (id && id->first == vendor) {
                names.vendor = std::string(id->second);
                in_vendor = true;
            }
            continue;
        }
        if (!in_vendor || line.size() < 2 || line[1] == '\t')
            continue; // an interface under a product
        const auto id = id_line(line.substr(1));
        if (id && id->first == product) {
            names.product = std::string(id->second);
            break;
        }
    }
    return names;
}

} // namespace pds
