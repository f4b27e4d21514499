// The clock, calendar and event pump of the browser.
#pragma once

#include "services/calendar.h"
#include "services/clock.h"
#include "services/event_pump.h"

namespace pds {

// performance.now(), which no change of the system's time moves.
class WebClock : public Clock {
public:
    std::uint32_t tick() override;
};

class WebCalendar : public Calendar {
public:
    Date today() override;
};

// Hands the browser its turn: the page's events run while the core waits here.
class WebEventPump : public EventPump {
public:
    void process_events(int max_wait_ms) override;
};

} // namespace pds
