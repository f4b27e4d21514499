#include "adapters/posix/port_examiner.h"
#include "adapters/posix/port_holders.h"
#include "adapters/qt/qt_port_list.h"
#include "adapters/qt/qt_serial_port.h"
#include "link_services.h"
#include "services/local_calendar.h"
#include "services/steady_clock.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <unistd.h>

namespace pds::cli {

namespace {

// Qt's serial port watches its device through socket notifiers, which want an application and
// an event dispatcher on the thread that opens the port, although the adapter never waits on
// them. Without those Qt warns on standard error.
class QtSession : public PlatformSession {
public:
    QtSession(int& argc, char** argv) : application(argc, argv) {}

private:
    QCoreApplication application;
};

} // namespace

std::unique_ptr<PlatformSession> start_platform(int& argc, char** argv) {
    return std::make_unique<QtSession>(argc, argv);
}

LinkServices platform_link_services(const std::filesystem::path& proc_root) {
    // Creating an event loop gives a thread that Qt did not start its event dispatcher.
    const QEventLoop dispatcher_maker;
    return {std::make_unique<QtSerialPort>(proc_root), std::make_unique<SteadyClock>(),
            std::make_unique<LocalCalendar>()};
}

MakeLinkServices platform_link_services_for_one_run(const std::filesystem::path& proc_root) {
    auto shared = std::make_shared<SharedHolderLook>(proc_root, ::getpid());
    return [shared] {
        const QEventLoop dispatcher_maker;
        return LinkServices{std::make_unique<QtSerialPort>(shared), std::make_unique<SteadyClock>(),
                            std::make_unique<LocalCalendar>()};
    };
}

std::vector<SystemPort> platform_ports() {
    return QtPortList().ports();
}

std::unique_ptr<PortExaminer> platform_port_examiner(const std::string& root) {
    return std::make_unique<PosixPortExaminer>(system_roots(root.empty() ? "/" : root));
}

} // namespace pds::cli
