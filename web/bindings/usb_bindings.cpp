// The core's table of USB-serial chips, for the page to name a granted port's adapter as the
// command line's port check names it.
#include "usb/serial_chips.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <string>

using emscripten::val;

namespace pds::web {

namespace {

// { maker, name, linuxDriver } for a known chip; { maker } alone for an unknown product of a
// known chip maker; null otherwise. Ids outside 0..0xFFFF are no USB ids at all.
val usb_serial_chip(int vendor, int product) {
    if (vendor < 0 || vendor > 0xFFFF || product < 0 || product > 0xFFFF)
        return val::null();
    const auto v = static_cast<std::uint16_t>(vendor);
    val out = val::object();
    if (const auto chip = known_serial_chip(v, static_cast<std::uint16_t>(product))) {
        out.set("maker", std::string(chip->maker));
        out.set("name", std::string(chip->name));
        out.set("linuxDriver", std::string(chip->linux_driver));
        return out;
    }
    if (const auto maker = known_serial_chip_maker(v)) {
        out.set("maker", std::string(*maker));
        return out;
    }
    return val::null();
}

} // namespace

} // namespace pds::web

EMSCRIPTEN_BINDINGS(usb_serial_chips) {
    emscripten::function("usbSerialChip", &pds::web::usb_serial_chip);
}
