// vfdctl: the pole display's configuration from the command line, for scripted roll-out.
#include "commands.h"

#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include "adapters/win32/console_guard.h"
#include "adapters/win32/wide_text.h"
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

namespace {

int run_program(int& argc, char** argv, const std::vector<std::string>& arguments) {
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
    return pds::cli::run(arguments, std::cout, std::cerr, pds::cli::platform_link_services,
                         pds::cli::platform_ports);
}

} // namespace

#ifdef _WIN32
// Windows hands the command line over in UTF-16; main() would get it in the ANSI code page,
// which holds few of the names a shop may give its files.
int wmain(int argc, wchar_t** argv) {
    int no_count = 0;
    return run_program(no_count, nullptr, pds::utf8_arguments(argc, argv));
}
#else
int main(int argc, char** argv) {
    return run_program(argc, argv, std::vector<std::string>(argv, argv + argc));
}
#endif
