#include "adapters/qt/qt_event_pump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <thread>

namespace pds {

void QtEventPump::process_events(int max_wait_ms) {
    if (!QAbstractEventDispatcher::instance()) {
        // A thread without an event loop has no events to process; sleeping keeps a pumping
        // caller from turning at full speed.
        if (max_wait_ms > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(max_wait_ms));
        return;
    }
    if (max_wait_ms <= 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    // The timer bounds the wait: WaitForMoreEvents alone would sleep until the next event,
    // however late. Whatever arrives first ends the pass.
    QTimer limit;
    limit.setSingleShot(true);
    limit.start(max_wait_ms);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

} // namespace pds
