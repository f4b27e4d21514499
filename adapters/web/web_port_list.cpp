#include "adapters/web/web_port_list.h"

#include <emscripten/emscripten.h>

#include <cstdlib>
#include <memory>

namespace {

// clang-format off
EM_JS(int, pds_js_offered_count, (), { return Module.pdsSerial.offered.length; });
EM_JS(char*, pds_js_offered_label, (int index), {
    return Module.pdsSerial.mallocString(Module.pdsSerial.offered[index].label);
});
// A double: vendor * 65536 + product passes 2^31 for vendors from 0x8000.
EM_JS(double, pds_js_offered_usb_ids, (int index), { return Module.pdsSerial.offeredUsbIds(index); });
// clang-format on

} // namespace

namespace pds {

std::vector<SystemPort> WebPortList::ports() {
    std::vector<SystemPort> listed;
    const int count = pds_js_offered_count();
    for (int i = 0; i < count; ++i) {
        const std::unique_ptr<char, decltype(&std::free)> label(pds_js_offered_label(i), &std::free);
        SystemPort port;
        port.device = port.kernel_name = label ? label.get() : "";
        if (const double ids = pds_js_offered_usb_ids(i); ids >= 0) {
            const auto packed = static_cast<std::uint32_t>(ids);
            port.vendor_id = static_cast<std::uint16_t>(packed >> 16);
            port.product_id = static_cast<std::uint16_t>(packed & 0xFFFF);
        }
        listed.push_back(std::move(port));
    }
    return listed;
}

} // namespace pds
