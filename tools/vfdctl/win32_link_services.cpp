#include "adapters/win32/win32_port_examiner.h"
#include "adapters/win32/win32_port_list.h"
#include "adapters/win32/win32_serial_port.h"
#include "link_services.h"
#include "services/local_calendar.h"
#include "services/steady_clock.h"

#include <windows.h>

namespace pds::cli {

namespace {

// The preview's braille and any text from a file go out as UTF-8; a console shows them only
// while its output code page says so. It gets back the one it had.
class ConsoleSession : public PlatformSession {
public:
    ConsoleSession() : code_page_before(::GetConsoleOutputCP()) {
        if (code_page_before != 0)
            ::SetConsoleOutputCP(CP_UTF8);
    }
    ~ConsoleSession() override {
        if (code_page_before != 0)
            ::SetConsoleOutputCP(code_page_before);
    }
    ConsoleSession(const ConsoleSession&) = delete;
    ConsoleSession& operator=(const ConsoleSession&) = delete;

private:
    UINT code_page_before;
};

} // namespace

std::unique_ptr<PlatformSession> start_platform(int&, char**) {
    return std::make_unique<ConsoleSession>();
}

LinkServices platform_link_services(const std::filesystem::path&) {
    return {std::make_unique<Win32SerialPort>(), std::make_unique<SteadyClock>(),
            std::make_unique<LocalCalendar>()};
}

MakeLinkServices platform_link_services_for_one_run(const std::filesystem::path& proc_root) {
    return [proc_root] { return platform_link_services(proc_root); };
}

std::vector<SystemPort> platform_ports() {
    return Win32PortList().ports();
}

std::unique_ptr<PortExaminer> platform_port_examiner(const std::string&) {
    return std::make_unique<Win32PortExaminer>();
}

} // namespace pds::cli
