// vfdctl: the pole display's configuration from the command line, for scripted roll-out.
#include "commands.h"

#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include "adapters/win32/console_guard.h"
#else
#include "adapters/posix/termination_guard.h"
#endif

#include <csignal>

namespace {

std::string signal_name(int signal) {
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
#ifdef SIGHUP
    case SIGHUP:
#else
    case pds::console_hang_up: // its console window closed
#endif
        return "SIGHUP";
    }
    return "signal " + std::to_string(signal);
}

} // namespace

int main(int argc, char** argv) {
    // Ctrl-C and the like wait for a configuration that is being sent; see --help.
    const pds::TerminationGuard guard([](int signal) {
        const std::string stopped = "stopped by " + signal_name(signal) +
                                    "; no display was left with part of a configuration";
        std::cerr << "vfdctl: " << stopped << std::endl;
        if (const auto document =
                pds::cli::interruption_document(pds::status_after(signal), stopped))
            std::cout << *document << std::flush;
        pds::end_program(signal);
    });
    const auto platform = pds::cli::start_platform(argc, argv);
    const auto link_services = [] { return pds::cli::platform_link_services("/proc"); };
    return pds::cli::run(std::vector<std::string>(argv, argv + argc), std::cout, std::cerr,
                         link_services, pds::cli::platform_ports);
}
