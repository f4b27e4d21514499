// The COM ports Windows knows, from its DOS device names.
#pragma once

#include "services/port_list.h"

namespace pds {

class Win32PortList : public PortList {
public:
    // COM1, COM2, ... in the order of their numbers; the description is the device each stands
    // for. Windows gives no USB ids through these names; a USB adapter's COM port is listed
    // with the rest.
    std::vector<SystemPort> ports() override;
};

} // namespace pds
