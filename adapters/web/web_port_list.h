// The ports the page offers the core, listed as a system lists its own: each by the label the
// port box shows it under, with its USB ids where the browser gives them.
#pragma once

#include "services/port_list.h"

namespace pds {

class WebPortList : public PortList {
public:
    std::vector<SystemPort> ports() override;
    std::string no_port_to_find() const override {
        return "The browser has given this page no serial port: connect the display's adapter "
               "and choose it with \"Choose port\u2026\" in \"Com Port Select :\".";
    }
};

} // namespace pds
