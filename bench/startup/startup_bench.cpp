// Start-up of the utility against the smallest Qt Widgets program, both headless: the time
// from starting the process to its window's first frame, and the peak resident memory. Each
// program runs repeatedly, the two in turn; the medians and their ratios are printed.
// Usage: startup_bench [runs]
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Run {
    double ms = 0;     // wall time from the start of the process to its first frame
    double cpu_ms = 0; // processor time of the whole run, less disturbed by a busy machine
    long max_rss_kib = 0;
};

double ms_of(const timeval& t) {
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
}

// Starts the program, waits for its "first frame" line, then for its end.
Run run_once(const std::string& program) {
    int out[2];
    if (pipe(out) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);

    std::vector<char*> argv{const_cast<char*>(program.c_str()), nullptr};
    pid_t pid = 0;
    const auto start = std::chrono::steady_clock::now();
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
        std::perror(program.c_str());
        std::exit(1);
    }
    close(out[1]);
    std::string line;
    char c = 0;
    while (read(out[0], &c, 1) == 1 && c != '\n')
        line += c;
    const auto frame = std::chrono::steady_clock::now();
    close(out[0]);
    posix_spawn_file_actions_destroy(&actions);

    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (line != "first frame" || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s showed no frame (status %d)\n", program.c_str(), status);
        std::exit(1);
    }
    return {std::chrono::duration<double, std::milli>(frame - start).count(),
            ms_of(usage.ru_utime) + ms_of(usage.ru_stime), usage.ru_maxrss};
}

template <typename T> T median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const auto here = std::filesystem::canonical("/proc/self/exe").parent_path();
    const std::string minimal = here / "minimal_widgets";
    const std::string utility = here / "utility_startup";

    // One unmeasured run each, so both find the libraries in the page cache.
    run_once(minimal);
    run_once(utility);

    std::vector<double> minimal_ms, utility_ms, minimal_cpu, utility_cpu;
    std::vector<long> minimal_kib, utility_kib;
    for (int i = 0; i < runs; ++i) {
        const Run m = run_once(minimal);
        const Run u = run_once(utility);
        minimal_ms.push_back(m.ms);
        minimal_cpu.push_back(m.cpu_ms);
        minimal_kib.push_back(m.max_rss_kib);
        utility_ms.push_back(u.ms);
        utility_cpu.push_back(u.cpu_ms);
        utility_kib.push_back(u.max_rss_kib);
    }

    const double m_ms = median(minimal_ms), u_ms = median(utility_ms);
    const double m_cpu = median(minimal_cpu), u_cpu = median(utility_cpu);
    const long m_kib = median(minimal_kib), u_kib = median(utility_kib);
    std::printf("runs each: %d (medians, QT_QPA_PLATFORM=offscreen)\n", runs);
    std::printf("%-28s %12s %12s %14s\n", "", "first frame", "cpu time", "peak memory");
    std::printf("%-28s %9.1f ms %9.1f ms %10ld KiB\n", "minimal Qt Widgets program", m_ms, m_cpu,
                m_kib);
    std::printf("%-28s %9.1f ms %9.1f ms %10ld KiB\n", "Pole Display Setup", u_ms, u_cpu, u_kib);
    std::printf("%-28s %12.2f %12.2f %14.2f   (target <= 1.30 for first frame and memory)\n",
                "ratio", u_ms / m_ms, u_cpu / m_cpu,
                static_cast<double>(u_kib) / static_cast<double>(m_kib));
    return 0;
}
