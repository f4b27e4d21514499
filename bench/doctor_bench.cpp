// vfdctl doctor over 64 pseudo-terminals, as a person runs it: without the probe against its
// target of 0.5 s, and with it against vfdctl find over the same ports (target <= 1.2 times).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int port_count = 64;

// Runs vfdctl with `arguments`, its output thrown away; the milliseconds it took, or -1.
double run_ms(const std::vector<std::string>& arguments, int expected_status) {
    std::vector<char*> argv{const_cast<char*>(VFDCTL_PROGRAM)};
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != expected_status) {
        std::fprintf(stderr, "doctor_bench: %s ended with %d, not %d\n", arguments[0].c_str(),
                     WIFEXITED(status) ? WEXITSTATUS(status) : -1, expected_status);
        return -1;
    }
    return ms;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::vector<int> masters;
    std::vector<std::string> ports;
    for (int i = 0; i < port_count; ++i) {
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
            std::fprintf(stderr, "doctor_bench: cannot make pseudo-terminal %d\n", i);
            return 1;
        }
        masters.push_back(master);
        ports.push_back("--port");
        ports.push_back(::ptsname(master));
    }
    const auto with = [&](std::vector<std::string> head) {
        head.insert(head.end(), ports.begin(), ports.end());
        return head;
    };

    std::vector<double> quick, probed, found, ratios;
    for (int run = 0; run < runs; ++run) {
        // No display is behind them: doctor calls them usable (0), find finds nothing (5).
        const double q = run_ms(with({"doctor", "--no-probe"}), 0);
        const double d = run_ms(with({"doctor"}), 0);
        const double f = run_ms(with({"find"}), 5);
        if (q < 0 || d < 0 || f < 0)
            return 1;
        quick.push_back(q);
        probed.push_back(d);
        found.push_back(f);
        ratios.push_back(d / f);
    }
    for (const int master : masters)
        ::close(master);

    std::printf("vfdctl over %d pseudo-terminals, %d runs (median, worst)\n", port_count, runs);
    std::printf("doctor --no-probe: %.0f ms, %.0f ms (target < 500 ms)\n", median(quick),
                *std::max_element(quick.begin(), quick.end()));
    std::printf("doctor:            %.0f ms, %.0f ms\n", median(probed),
                *std::max_element(probed.begin(), probed.end()));
    std::printf("find:              %.0f ms, %.0f ms\n", median(found),
                *std::max_element(found.begin(), found.end()));
    std::printf("doctor / find:     %.3f, %.3f (target <= 1.2)\n", median(ratios),
                *std::max_element(ratios.begin(), ratios.end()));
    return 0;
}
