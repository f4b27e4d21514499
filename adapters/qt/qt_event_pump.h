#pragma once

#include "services/event_pump.h"

namespace pds {

// One pass of the Qt event loop of the calling thread. It sleeps until an event arrives or the
// wait is over, so a caller that pumps in a loop does not keep a core busy.
class QtEventPump : public EventPump {
public:
    void process_events(int max_wait_ms) override;
};

} // namespace pds
