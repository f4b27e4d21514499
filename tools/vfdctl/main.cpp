// vfdctl: the pole display's configuration from the command line, for scripted roll-out.
#include "commands.h"
#include "exit_codes.h"
#include "standard_output.h"

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

// Standard output goes through `buffer` while it lives.
class OutputThrough {
public:
    explicit OutputThrough(std::streambuf& buffer) : before(std::cout.rdbuf(&buffer)) {}
    ~OutputThrough() { std::cout.rdbuf(before); }
    OutputThrough(const OutputThrough&) = delete;
    OutputThrough& operator=(const OutputThrough&) = delete;

private:
    std::streambuf* before;
};

int run_program(int& argc, char** argv, const std::vector<std::string>& arguments) {
    pds::cli::StandardOutput standard_output;
    const OutputThrough through(standard_output);
#ifdef SIGXFSZ
    // A file size limit then fails the write, which is reported, rather than killing vfdctl.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    // Ctrl-C and the like wait for a configuration that is being sent; see --help.
    const pds::TerminationGuard guard([](int signal) {
        const auto stopped = pds::cli::interruption(pds::status_after(signal), signal_name(signal));
        if (!stopped.error.empty())
            std::cerr << stopped.error << std::endl;
        if (stopped.document)
            std::cout << *stopped.document << std::flush;
        pds::end_program(signal);
    });
    const auto platform = pds::cli::start_platform(argc, argv);
    const pds::cli::MakeLinkServices link_services = [] {
        return pds::cli::platform_link_services("/proc");
    };
    const pds::cli::MakeRunLinkServices link_services_for_one_run = [] {
        return pds::cli::platform_link_services_for_one_run("/proc");
    };
    int status =
        pds::cli::run(arguments, std::cout, std::cerr, link_services, link_services_for_one_run,
                      pds::cli::platform_ports, pds::cli::platform_port_examiner);
    // What the command printed counts only once it is out: a failure there fails a command
    // that succeeded, and is said whatever the status.
    if (const auto failure = standard_output.close()) {
        std::cerr << "vfdctl: standard output: cannot write: " << *failure << std::endl;
        if (status == pds::cli::exit_success || status == pds::cli::exit_different)
            status = pds::cli::exit_bad_file;
    }
    return status;
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
