// The steps every serial adapter takes before it touches a device, written once.
#pragma once

#include "services/serial_port.h"

#include <optional>
#include <string>

namespace pds {

// Keeps the chosen port and line settings. An open finds the device the choice stands for and
// asks whether this system can make the settings, and reports either failure before the
// device is touched; only then does the adapter open it.
class DeviceSerialPort : public SerialPort {
public:
    void set_port(const PortChoice& choice) final;
    void set_settings(const LineSettings& settings) final;
    // "Com N" and typed devices as this host names them; an adapter may name ports otherwise.
    PortDevice find_device() override;
    std::optional<PortFailure> open() final;

protected:
    const PortChoice& chosen_port() const { return choice; }
    // Why this system cannot make the settings, or empty when it can.
    virtual std::string unavailable(const LineSettings& line) const;
    // Opens `device` with `line`; the port is closed when this is called.
    virtual std::optional<PortFailure> open_device(const std::string& device,
                                                   const LineSettings& line) = 0;

private:
    PortChoice choice;
    LineSettings line;
};

} // namespace pds
