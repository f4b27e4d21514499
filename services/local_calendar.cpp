#include "services/local_calendar.h"

#include <ctime>
#include <mutex>

namespace pds {

Date LocalCalendar::today() {
    // std::localtime shares one result between all callers; the reentrant forms differ
    // between systems.
    static std::mutex shared_result;
    const std::time_t now = std::time(nullptr);
    const std::lock_guard lock(shared_result);
    const std::tm* local = std::localtime(&now);
    if (!local)
        return {};
    return {local->tm_year + 1900, local->tm_mon + 1, local->tm_mday};
}

} // namespace pds
