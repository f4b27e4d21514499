// The one place where vfdctl meets a platform: what each port's thread talks through. Linux
// builds it on Qt's serial port (qt_link_services.cpp); another platform links a file of its
// own that defines start_platform() and platform_link_services().
#pragma once

#include "services/calendar.h"
#include "services/clock.h"
#include "services/serial_port.h"

#include <functional>
#include <memory>

namespace pds::cli {

struct LinkServices {
    std::unique_ptr<SerialPort> port;
    std::unique_ptr<Clock> clock;
    std::unique_ptr<Calendar> calendar;
};

// Called on the thread that will use what it makes, once for each port.
using MakeLinkServices = std::function<LinkServices()>;

// Whatever the platform keeps for as long as ports are used; main() holds it from the start.
class PlatformSession {
public:
    virtual ~PlatformSession() = default;
};

std::unique_ptr<PlatformSession> start_platform(int& argc, char** argv);

LinkServices platform_link_services();

} // namespace pds::cli
