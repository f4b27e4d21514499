// vfdctl find over eight virtual displays at once (four at 9600 bit/s, two at 19200, two
// silent) against the slowest of the same probes made one at a time. Prints its figures
// beside the target: all at once no longer than 1.2 times the slowest single probe.
#include "link_services.h"
#include "port_commands.h"
#include "virtual_display_process.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

using namespace pds;
using display::VirtualDisplayProcess;

double probe_ms(const std::vector<PortChoice>& ports, std::vector<PortProbe>* probes = nullptr) {
    const auto start = std::chrono::steady_clock::now();
    auto done = cli::probe_every_port(ports, cli::platform_link_services_for_one_run("/proc"));
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (probes)
        *probes = std::move(done);
    return ms;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const auto platform = cli::start_platform(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    const std::vector<std::pair<const char*, QStringList>> kinds = {
        {"9600", {}},
        {"9600", {}},
        {"9600", {}},
        {"9600", {}},
        {"19200", {"--baud", "19200"}},
        {"19200", {"--baud", "19200"}},
        {"silent", {"--silent"}},
        {"silent", {"--silent"}},
    };
    std::vector<std::unique_ptr<VirtualDisplayProcess>> displays;
    std::vector<PortChoice> ports;
    for (const auto& [kind, options] : kinds) {
        displays.push_back(std::make_unique<VirtualDisplayProcess>(options));
        if (!displays.back()->started()) {
            std::fprintf(stderr, "find_bench: a virtual display did not start\n");
            return 1;
        }
        ports.push_back({0, displays.back()->device()});
    }

    std::vector<double> all_ms, slowest_ms, ratios;
    std::vector<std::vector<double>> single_ms(ports.size());
    for (int run = 0; run < runs; ++run) {
        double slowest = 0;
        for (std::size_t i = 0; i < ports.size(); ++i) {
            const double ms = probe_ms({ports[i]});
            single_ms[i].push_back(ms);
            slowest = std::max(slowest, ms);
        }
        std::vector<PortProbe> probes;
        const double all = probe_ms(ports, &probes);
        int found = 0;
        for (const auto& probe : probes)
            found += probe.result == PortProbe::Result::Found;
        if (found != 6) {
            std::fprintf(stderr, "find_bench: %d displays answered, not 6\n", found);
            return 1;
        }
        for (auto& d : displays)
            d->drop_output();
        all_ms.push_back(all);
        slowest_ms.push_back(slowest);
        ratios.push_back(all / slowest);
    }

    std::printf("find over 8 virtual displays (4 at 9600, 2 at 19200, 2 silent), %d runs\n", runs);
    std::printf("single probe, median ms:");
    for (std::size_t i = 0; i < ports.size(); ++i)
        std::printf(" %s %.0f", kinds[i].first, median(single_ms[i]));
    std::printf("\n");
    std::printf("slowest single probe: median %.1f ms\n", median(slowest_ms));
    std::printf("all 8 at once:        median %.1f ms, worst %.1f ms\n", median(all_ms),
                *std::max_element(all_ms.begin(), all_ms.end()));
    std::printf("all at once / slowest single: median %.3f, worst %.3f (target <= 1.2)\n",
                median(ratios), *std::max_element(ratios.begin(), ratios.end()));
    return 0;
}
