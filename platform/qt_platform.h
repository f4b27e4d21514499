// Every platform service of the desktop, wired together for the window.
#pragma once

#include "platform/platform.h"
#include "platform/qt_calendar.h"
#include "platform/qt_clock.h"
#include "platform/qt_event_pump.h"
#include "platform/qt_file_dialog.h"
#include "platform/qt_file_store.h"
#include "platform/qt_message_boxes.h"
#include "platform/qt_serial_port.h"
#include "platform/qt_shell.h"

class QWidget;

namespace pds {

class QtPlatform {
public:
    // Dialogs and boxes are modal to the window once it exists.
    void set_window(QWidget* window) {
        boxes.set_parent(window);
        dialog.set_parent(window);
    }
    Platform& services() { return services_; }

private:
    QtSerialPort port;
    QtClock clock;
    QtEventPump events;
    QtCalendar calendar;
    QtMessageBoxes boxes;
    QtFileDialog dialog;
    QtFileStore files;
    QtShell shell;
    Platform services_{port, clock, events, calendar, boxes, dialog, files, shell};
};

} // namespace pds
