#include "adapters/web/web_services.h"

#include <emscripten/emscripten.h>

namespace {

// The bodies are JavaScript, which clang-format would break.
// clang-format off
EM_JS(double, pds_js_now_ms, (), { return performance.now(); });

// Packed as yyyymmdd, so one call reads one consistent date.
EM_JS(int, pds_js_today, (), {
    const now = new Date();
    return now.getFullYear() * 10000 + (now.getMonth() + 1) * 100 + now.getDate();
});

EM_ASYNC_JS(void, pds_js_yield, (int ms),
            { await new Promise((resolve) => setTimeout(resolve, Math.max(0, ms))); });
// clang-format on

} // namespace

namespace pds {

std::uint32_t WebClock::tick() {
    // Whole milliseconds, wrapping at 32 bits as the core expects of every clock.
    const double ms = pds_js_now_ms();
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms));
}

Date WebCalendar::today() {
    const int packed = pds_js_today();
    return {packed / 10000, packed / 100 % 100, packed % 100};
}

void WebEventPump::process_events(int max_wait_ms) {
    pds_js_yield(max_wait_ms);
}

} // namespace pds
