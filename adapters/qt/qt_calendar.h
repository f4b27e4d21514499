#pragma once

#include "services/calendar.h"

#include <QDate>

namespace pds {

class QtCalendar : public Calendar {
public:
    Date today() override {
        const QDate d = QDate::currentDate();
        return {d.year(), d.month(), d.day()};
    }
};

} // namespace pds
