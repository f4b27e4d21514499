// One utility as the operator has it, minus the window: an editor at its start-up state on the
// real serial port, clock, event loop and file system, with the boxes and the file dialog
// answered by recording fakes.
#pragma once

#include "adapters/qt/qt_calendar.h"
#include "adapters/qt/qt_clock.h"
#include "adapters/qt/qt_event_pump.h"
#include "adapters/qt/qt_serial_port.h"
#include "adapters/system_file_store.h"
#include "commands/defaults.h"
#include "settings/option_lists.h"
#include "support/fake_services.h"
#include "support/qt_application.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/resource.h>
#include <vector>

namespace pds::testing {

// CPU seconds this process has used, user and system.
inline double cpu_seconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Station {
    Station() {
        ensure_qt_application();
        fill_option_lists(editor.model);
        set_all_default(editor);
        boxes.on_show = [this] { open_at_box.push_back(port.is_open()); };
    }

    void choose(const std::string& device) { editor.model.host_port.type(device); }
    std::vector<std::string> shown() const { return boxes.texts(); }
    void expect_port_closed_at_every_box() const {
        EXPECT_FALSE(port.is_open()) << "port left open";
        for (bool open : open_at_box)
            EXPECT_FALSE(open) << "a box was shown with the port open";
    }

    QtSerialPort port;
    QtClock clock;
    QtEventPump events;
    QtCalendar calendar;
    fakes::RecordedBoxes boxes;
    fakes::ScriptedDialog dialog;
    SystemFileStore files;
    fakes::RecordedShell shell;
    Services services{port, clock, events, calendar, boxes, dialog, files, shell};
    Editor editor{services};
    std::vector<bool> open_at_box;
};

} // namespace pds::testing
