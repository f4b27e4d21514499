// A thousand write-and-read cycles against the virtual display, unpaced, through the real
// serial adapter: how many cycles a second, whether every cycle reads back what it wrote, and
// whether open descriptors or resident memory grow between the first and last hundred cycles.
#include "adapters/qt/qt_calendar.h"
#include "adapters/qt/qt_clock.h"
#include "adapters/qt/qt_serial_port.h"
#include "link/link_settings.h"
#include "link/read_exchange.h"
#include "link/write_exchange.h"
#include "virtual_display_process.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <unistd.h>
#include <vector>

namespace {

using namespace pds;

int open_descriptors() {
    const std::filesystem::directory_iterator fds("/proc/self/fd");
    return static_cast<int>(std::distance(fds, std::filesystem::directory_iterator{}));
}

long resident_kib() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

double mean(const std::vector<long>& values, std::size_t from, std::size_t count) {
    const auto first = values.begin() + static_cast<std::ptrdiff_t>(from);
    return std::accumulate(first, first + static_cast<std::ptrdiff_t>(count), 0.0) /
           static_cast<double>(count);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser options;
    options.setApplicationDescription("Write-and-read soak against the virtual display.");
    options.addHelpOption();
    options.addOption({"cycles", "Runs <n> cycles (default 1000).", "n", "1000"});
    options.process(app);
    const int cycles = std::max(200, options.value("cycles").toInt());

    display::VirtualDisplayProcess display({"--no-pacing"}, ImageBytes{});
    if (!display.started()) {
        std::fprintf(stderr, "soak_bench: the virtual display did not start\n");
        return 2;
    }
    QtSerialPort port;
    QtClock clock;
    QtCalendar calendar;
    const LinkSettings link{{0, display.device()}, "9600,n,8,1"};

    std::vector<long> descriptors, resident;
    int failures = 0;
    ImageBytes payload{};
    QElapsedTimer wall;
    wall.start();
    for (int cycle = 0; cycle < cycles; ++cycle) {
        // Every cycle writes something new, so a read that returns old bytes is caught.
        for (std::size_t i = 0; i < payload.size(); ++i)
            payload[i] = static_cast<std::uint8_t>(cycle * 7 + i);
        at_position(payload, position::display_baud) = 0;
        at_position(payload, position::code_page) = static_cast<std::uint8_t>(cycle % 36);
        at_position(payload, position::command_set) = static_cast<std::uint8_t>(cycle % 10);
        at_position(payload, position::passthru_mode) = static_cast<std::uint8_t>(cycle % 3);

        bool ok = !open_port(port, link) &&
                  write_exchange(port, clock, calendar, payload) == WriteOutcome::Written;
        port.close();
        ok = ok && !open_port(port, link);
        const ReadResult read = ok ? read_exchange(port, clock) : ReadResult{};
        port.close();
        ok = ok && read.outcome == ReadOutcome::Received &&
             std::equal(payload.begin(), payload.end(), read.reply.begin() + 1);
        failures += !ok;

        display.drop_output();
        descriptors.push_back(open_descriptors());
        resident.push_back(resident_kib());
    }
    const double seconds = wall.elapsed() / 1000.0;
    const auto last = static_cast<std::size_t>(cycles - 100);

    std::printf("soak: %d write-and-read cycles through the serial adapter, display unpaced\n",
                cycles);
    std::printf("  cycles per second        %8.1f  (%.1f s in all)\n", cycles / seconds, seconds);
    std::printf("  failed cycles            %8d\n", failures);
    std::printf("  open descriptors         %8.1f first hundred, %.1f last hundred\n",
                mean(descriptors, 0, 100), mean(descriptors, last, 100));
    std::printf("  resident memory (KiB)    %8.0f first hundred, %.0f last hundred\n",
                mean(resident, 0, 100), mean(resident, last, 100));
    return failures == 0 ? 0 : 1;
}
