#include "link/device_port.h"

#include "link/serial_line.h"

namespace pds {

void DeviceSerialPort::set_port(const PortChoice& c) {
    choice = c;
}

void DeviceSerialPort::set_settings(const LineSettings& settings) {
    line = settings;
}

PortDevice DeviceSerialPort::find_device() {
    return device_for(choice, this_host());
}

std::string DeviceSerialPort::unavailable(const LineSettings&) const {
    return {};
}

std::optional<PortFailure> DeviceSerialPort::open() {
    close();
    const PortDevice target = find_device();
    if (!target.device)
        return PortFailure{PortFailure::Kind::NoSuchPort, {}, target.reason};
    if (std::string why = unavailable(line); !why.empty())
        return PortFailure{PortFailure::Kind::BadSettings, *target.device, std::move(why)};
    return open_device(*target.device, line);
}

} // namespace pds
