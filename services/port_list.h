// The serial ports the system reports, as it names them, for the operator to choose from.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pds {

struct SystemPort {
    // What to open: on Linux the stable /dev/serial/by-id/... name where the system gives one,
    // since /dev/ttyUSB0 goes to whichever adapter is plugged in first.
    std::string device;
    std::string kernel_name; // the system's own name, e.g. /dev/ttyUSB0; may equal `device`
    std::string description;
    std::string manufacturer;
    std::optional<std::uint16_t> vendor_id; // USB only
    std::optional<std::uint16_t> product_id;
    std::string serial_number;
    bool operator==(const SystemPort&) const = default;
};

class PortList {
public:
    virtual ~PortList() = default;
    // Asks the system afresh each time, so an adapter plugged in meanwhile is there.
    virtual std::vector<SystemPort> ports() = 0;
    // What Find says when no port is listed and the port box names none: where ports come from
    // here, and how the operator adds one.
    virtual std::string no_port_to_find() const {
        return "The system lists no serial port, and the port box names no device: connect the "
               "display's adapter, or type its device.";
    }
};

// Always the same ports: for tests, and for a system that cannot list its own.
class FixedPortList : public PortList {
public:
    FixedPortList() = default;
    explicit FixedPortList(std::vector<SystemPort> ports) : fixed(std::move(ports)) {}
    std::vector<SystemPort> ports() override { return fixed; }
    std::vector<SystemPort> fixed;
};

// A list with no port in it, for whoever wires the services without one.
PortList& no_listed_ports();

// "0403:6001", or empty when the port is not a USB one.
std::string usb_id_text(const SystemPort& port);

// One line that tells the ports apart: the device, the kernel name beside it when it differs,
// then description, manufacturer, "USB 0403:6001" and "serial A1B2" where known, each after " - ".
std::string port_entry_text(const SystemPort& port);

} // namespace pds
