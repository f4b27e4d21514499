// The facts about COM ports as Windows shows them: which exist, and whether each opens.
#pragma once

#include "services/port_facts.h"

namespace pds {

class Win32PortExaminer : public PortExaminer {
public:
    // `port`: COM5, com5, \\.\COM12 or Com 5 as in the window. It is opened for a moment, as
    // the transfers open it, to learn whether another program holds it; nothing is sent.
    PortFacts examine(const std::string& port) override;
    std::vector<std::string> serial_ports() override;
};

} // namespace pds
