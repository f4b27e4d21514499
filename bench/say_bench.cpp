// vfdctl say to eight virtual displays at once against the same to one, and for one display
// the time from the command's start to the last byte on its line against the wire minimum of
// those bytes (the read request, the reply and the line of text) at 9600 bit/s. Prints the
// figures beside the target: eight at once no longer than 1.2 times one.
#include "commands.h"
#include "link_services.h"
#include "settings/settings_image.h"
#include "virtual_display_process.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace pds;
using display::VirtualDisplayProcess;

constexpr int line_speed = 9600;
constexpr double byte_ms = 10.0 * 1000.0 / line_speed;
// 1B EE; the mark and 126 bytes; US $ 1 1 and the 20 characters of the line.
constexpr int wire_bytes = 2 + 1 + image_size + 4 + 20;

double now_ms() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Runs vfdctl say on `ports`; its wall time in ms, or a negative number when it failed.
double say_ms(const std::vector<std::string>& ports) {
    std::vector<std::string> arguments = {"vfdctl", "say"};
    for (const auto& port : ports) {
        arguments.push_back("--port");
        arguments.push_back(port);
    }
    arguments.push_back("BENCH 0123456789");
    std::ostringstream out, err;
    const double start = now_ms();
    const int status = cli::run(
        arguments, out, err, [] { return cli::platform_link_services("/proc"); },
        cli::platform_ports);
    const double ms = now_ms() - start;
    if (status != 0) {
        std::fprintf(stderr, "say_bench: vfdctl say failed (%d): %s", status, err.str().c_str());
        return -1;
    }
    return ms;
}

// When the last byte into the display finished crossing its line, in ms of the monotonic
// clock, from its timing log (which grows over the runs); 0 when the log holds none.
double last_byte_in_ms(const QString& path) {
    QFile file(path);
    double last = 0;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return last;
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().trimmed().split(' ');
        if (fields.size() == 5 && fields[0] == "in")
            last = std::max(last, fields[3].toLongLong() / 1000.0);
    }
    return last;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const auto platform = cli::start_platform(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;

    ImageBytes memory{};
    at_position(memory, position::command_set) = 1; // EPSON (Default), CP-437
    QTemporaryDir folder;
    const QString log_path = folder.filePath("timing.log");
    std::vector<std::unique_ptr<VirtualDisplayProcess>> displays;
    std::vector<std::string> ports;
    for (int i = 0; i < 8; ++i) {
        QStringList options = {"--baud", QString::number(line_speed)};
        if (i == 0)
            options << "--timing-log" << log_path;
        displays.push_back(std::make_unique<VirtualDisplayProcess>(options, memory));
        if (!displays.back()->started()) {
            std::fprintf(stderr, "say_bench: a virtual display did not start\n");
            return 1;
        }
        ports.push_back(displays.back()->device());
    }

    std::vector<double> one_ms, all_ms, ratios, to_last_ms;
    for (int run = 0; run < runs; ++run) {
        const double start = now_ms();
        const double one = say_ms({ports[0]});
        // The display logs a byte once it is in; give it a moment for the last.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const double last = last_byte_in_ms(log_path);
        const double all = say_ms(ports);
        if (one < 0 || all < 0)
            return 1;
        if (last <= start) {
            std::fprintf(stderr, "say_bench: the display logged no byte of the run\n");
            return 1;
        }
        for (auto& d : displays)
            d->drop_output();
        one_ms.push_back(one);
        all_ms.push_back(all);
        ratios.push_back(all / one);
        to_last_ms.push_back(last - start);
    }

    const double wire_ms = wire_bytes * byte_ms;
    std::printf("vfdctl say over virtual displays at %d bit/s (EPSON), %d runs\n", line_speed,
                runs);
    std::printf("one display:    median %.1f ms\n", median(one_ms));
    std::printf("8 at once:      median %.1f ms, worst %.1f ms\n", median(all_ms),
                *std::max_element(all_ms.begin(), all_ms.end()));
    std::printf("8 at once / one: median %.3f, worst %.3f (target <= 1.2)\n", median(ratios),
                *std::max_element(ratios.begin(), ratios.end()));
    std::printf("one display, start to last byte in: median %.1f ms, worst %.1f ms\n",
                median(to_last_ms), *std::max_element(to_last_ms.begin(), to_last_ms.end()));
    std::printf("wire minimum of its %d bytes: %.1f ms; ratio median %.3f\n", wire_bytes, wire_ms,
                median(to_last_ms) / wire_ms);
    return 0;
}
