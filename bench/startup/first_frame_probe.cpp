// Linked into both programs the start-up benchmark runs: as soon as a top-level window has
// painted its first frame, prints one line on stdout and ends the program. It hooks in when
// the application object is made, so the program's own code runs unchanged.
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

class FirstFrameProbe : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!seen_ && event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow()) {
            seen_ = true;
            // Queued, so the frame has been painted and flushed when the line goes out.
            QTimer::singleShot(0, [] {
                std::fputs("first frame\n", stdout);
                std::fflush(stdout);
                std::_Exit(0);
            });
        }
        return false;
    }

private:
    bool seen_ = false;
};

void install_probe() {
    QCoreApplication::instance()->installEventFilter(
        new FirstFrameProbe(QCoreApplication::instance()));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(install_probe)
