#pragma once

#include "services/calendar.h"

namespace pds {

// The local date from the C library, safe to ask from several threads at once.
class LocalCalendar : public Calendar {
public:
    Date today() override;
};

} // namespace pds
