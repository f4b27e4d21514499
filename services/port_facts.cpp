#include "services/port_facts.h"

namespace pds {

namespace {

class NoPortExaminer : public PortExaminer {
public:
    PortFacts examine(const std::string& port) override {
        PortFacts facts;
        facts.port = port;
        facts.device = port;
        facts.kind = PortFacts::Kind::Other;
        return facts;
    }
    std::vector<std::string> serial_ports() override { return {}; }
};

} // namespace

PortExaminer& no_port_examiner() {
    static NoPortExaminer none;
    return none;
}

} // namespace pds
