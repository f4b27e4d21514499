// Every service of the desktop, wired together for the window.
#pragma once

#include "adapters/posix/port_examiner.h"
#include "adapters/qt/qt_calendar.h"
#include "adapters/qt/qt_clock.h"
#include "adapters/qt/qt_event_pump.h"
#include "adapters/qt/qt_port_list.h"
#include "adapters/qt/qt_serial_port.h"
#include "adapters/system_file_store.h"
#include "services/services.h"
#include "ui/qt_file_dialog.h"
#include "ui/qt_message_boxes.h"
#include "ui/qt_shell.h"

#include <filesystem>
#include <memory>

class QWidget;

namespace pds {

class DesktopServices {
public:
    // `proc_root`: where the system shows other processes' open files (see QtSerialPort). The
    // port check reads the system whose /proc that is; without one it reads nothing.
    explicit DesktopServices(std::filesystem::path proc_root = {})
        : port(proc_root), examiner(examiner_of(proc_root)) {}

    // Dialogs and boxes are modal to the window once it exists.
    void set_window(QWidget* window) {
        boxes.set_parent(window);
        dialog.set_parent(window);
    }
    Services& services() { return services_; }

private:
    QtSerialPort port;
    QtClock clock;
    QtEventPump events;
    QtCalendar calendar;
    QtMessageBoxes boxes;
    QtFileDialog dialog;
    SystemFileStore files;
    QtShell shell;
    QtPortList port_list;
    std::unique_ptr<PortExaminer> examiner;
    Services services_{port,   clock, events, calendar,  boxes,
                       dialog, files, shell,  port_list, examiner ? *examiner : no_port_examiner()};

    static std::unique_ptr<PortExaminer> examiner_of(const std::filesystem::path& proc_root) {
        if (proc_root.empty())
            return nullptr;
        return std::make_unique<PosixPortExaminer>(system_roots(proc_root.parent_path()));
    }
};

} // namespace pds
