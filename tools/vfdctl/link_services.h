// The one place where vfdctl meets a platform: what each port's thread talks through. Linux
// builds it on Qt's serial port (qt_link_services.cpp); another platform links a file of its
// own that defines start_platform(), platform_link_services() and platform_ports().
#pragma once

#include "services/calendar.h"
#include "services/clock.h"
#include "services/port_facts.h"
#include "services/port_list.h"
#include "services/serial_port.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace pds::cli {

struct LinkServices {
    std::unique_ptr<SerialPort> port;
    std::unique_ptr<Clock> clock;
    std::unique_ptr<Calendar> calendar;
};

// Called on the thread that will use what it makes, once for each port.
using MakeLinkServices = std::function<LinkServices()>;

// The serial ports the system reports, read anew at each call.
using ListPorts = std::function<std::vector<SystemPort>()>;

// Whatever the platform keeps for as long as ports are used; main() holds it from the start.
class PlatformSession {
public:
    virtual ~PlatformSession() = default;
};

std::unique_ptr<PlatformSession> start_platform(int& argc, char** argv);

// `proc_root`: where the system shows other processes' open files (/proc on Linux), so that a
// port another program holds is refused with its name; ignored where there is no such place.
LinkServices platform_link_services(const std::filesystem::path& proc_root);

// For one run whose ports are all opened at once, each on its own thread (find): the same, but
// the ports share one look at `proc_root` instead of taking one each.
using MakeRunLinkServices = std::function<MakeLinkServices()>;
MakeLinkServices platform_link_services_for_one_run(const std::filesystem::path& proc_root);

std::vector<SystemPort> platform_ports();

// What reads the system's facts about its ports: those under `root` (Linux; empty or "/" for the
// system itself), or the system's own where there is no such tree.
using MakePortExaminer = std::function<std::unique_ptr<PortExaminer>(const std::string& root)>;

std::unique_ptr<PortExaminer> platform_port_examiner(const std::string& root);

} // namespace pds::cli
