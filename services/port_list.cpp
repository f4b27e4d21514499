#include "services/port_list.h"

#include <cstdio>

namespace pds {

PortList& no_listed_ports() {
    static FixedPortList none;
    return none;
}

std::string usb_id_text(const SystemPort& port) {
    if (!port.vendor_id || !port.product_id)
        return {};
    char text[16];
    std::snprintf(text, sizeof text, "%04x:%04x", unsigned{*port.vendor_id},
                  unsigned{*port.product_id});
    return text;
}

std::string port_entry_text(const SystemPort& port) {
    std::string text = port.device;
    if (!port.kernel_name.empty() && port.kernel_name != port.device)
        text += " (" + port.kernel_name + ")";
    const std::string usb = usb_id_text(port);
    const std::string parts[] = {
        port.description, port.manufacturer, usb.empty() ? usb : "USB " + usb,
        port.serial_number.empty() ? std::string() : "serial " + port.serial_number};
    for (const auto& part : parts)
        if (!part.empty())
            text += " - " + part;
    return text;
}

} // namespace pds
