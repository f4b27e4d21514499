// The services of the system the commands use. The Qt adapters and the window provide them in
// the program; tests give fakes.
#pragma once

#include "services/calendar.h"
#include "services/clock.h"
#include "services/event_pump.h"
#include "services/file_dialog.h"
#include "services/file_store.h"
#include "services/message_boxes.h"
#include "services/port_facts.h"
#include "services/port_list.h"
#include "services/serial_port.h"
#include "services/shell.h"

namespace pds {

struct Services {
    SerialPort& port;
    Clock& clock;
    EventPump& events;
    Calendar& calendar;
    MessageBoxes& boxes;
    FileDialog& dialog;
    FileStore& files;
    Shell& shell;
    // Last and with a default, so that wiring made before the list existed still holds.
    PortList& port_list = no_listed_ports();
    PortExaminer& port_examiner = no_port_examiner();
};

} // namespace pds
