// Runs one job on every port at once, each on its own thread with its own port, clock and
// calendar.
#pragma once

#include "display_jobs.h"
#include "link_services.h"

#include <thread>
#include <utility>
#include <vector>

namespace pds::cli {

// Gives back the results of `job` in the order of the ports.
template <typename Job>
auto on_every_port(const MakeLinkServices& link_services, const std::vector<PortTarget>& targets,
                   Job job) {
    using Result = decltype(job(std::declval<Link&>(), targets.front()));
    std::vector<Result> results(targets.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < targets.size(); ++i)
        threads.emplace_back([&, i] {
            const LinkServices services = link_services();
            Link link{*services.port, *services.clock, *services.calendar};
            results[i] = job(link, targets[i]);
            services.port->close();
        });
    for (auto& thread : threads)
        thread.join();
    return results;
}

} // namespace pds::cli
