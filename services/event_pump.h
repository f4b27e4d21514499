#pragma once

namespace pds {

// One pass of the window's event loop.
class EventPump {
public:
    virtual ~EventPump() = default;
    // Processes pending window events, waiting at most max_wait_ms for one to arrive.
    virtual void process_events(int max_wait_ms) = 0;
};

} // namespace pds
