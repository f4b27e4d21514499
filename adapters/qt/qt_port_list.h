// The serial ports the system reports, through Qt SerialPort.
#pragma once

#include "services/port_list.h"

namespace pds {

class QtPortList : public PortList {
public:
    std::vector<SystemPort> ports() override;
};

// On Linux, the /dev/serial/by-id link of each device it points to, so that a port can be named
// by what is plugged in rather than by the order it was plugged in. `folder` is that folder.
std::vector<std::pair<std::string, std::string>> stable_names(const std::string& folder);

} // namespace pds
