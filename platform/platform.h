// The platform services the handlers use. Qt provides them in the program; tests give fakes.
#pragma once

#include "platform/calendar.h"
#include "platform/clock.h"
#include "platform/event_pump.h"
#include "platform/file_dialog.h"
#include "platform/file_store.h"
#include "platform/message_boxes.h"
#include "platform/serial_port.h"
#include "platform/shell.h"

namespace pds {

struct Platform {
    SerialPort& port;
    Clock& clock;
    EventPump& events;
    Calendar& calendar;
    MessageBoxes& boxes;
    FileDialog& dialog;
    FileStore& files;
    Shell& shell;
};

} // namespace pds
