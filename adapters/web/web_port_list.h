// The ports the page offers the core, listed as a system lists its own: each by the label the
// port box shows it under, with its USB ids where the browser gives them.
#pragma once

#include "services/port_list.h"

namespace pds {

class WebPortList : public PortList {
public:
    std::vector<SystemPort> ports() override;
};

} // namespace pds
