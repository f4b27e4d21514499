// How close the link comes to the line's own speed against a display paced like a 9600 bit/s
// line, measured where the display sees the bytes, and what waiting for a silent display
// costs in processor time. Prints its figures beside their targets.
#include "adapters/qt/qt_calendar.h"
#include "adapters/qt/qt_clock.h"
#include "adapters/qt/qt_serial_port.h"
#include "link/link_settings.h"
#include "link/read_exchange.h"
#include "link/write_exchange.h"
#include "virtual_display_process.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

using namespace pds;

constexpr int line_speed = 9600;
constexpr double byte_ms = 10.0 * 1000.0 / line_speed;
// 1B EF, eight date digits, the check byte, AA and the 126 image bytes.
constexpr int write_bytes = 2 + 8 + 1 + 1 + image_size;
constexpr int read_bytes = 2 + 1 + image_size;

// A line of the display's timing log: for a byte in, when it was read and when its time on
// the line began and ended; for a byte out, when it was written.
struct Crossing {
    bool in = false;
    double read_ms = 0, start_ms = 0, done_ms = 0;
    int byte = 0;
};

std::vector<Crossing> load_log(const QString& path) {
    std::vector<Crossing> crossings;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return crossings;
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().trimmed().split(' ');
        Crossing c;
        if (fields.size() == 5 && fields[0] == "in") {
            c.in = true;
            c.read_ms = fields[1].toLongLong() / 1000.0;
            c.start_ms = fields[2].toLongLong() / 1000.0;
            c.done_ms = fields[3].toLongLong() / 1000.0;
            c.byte = fields[4].toInt(nullptr, 16);
        } else if (fields.size() == 3 && fields[0] == "out") {
            c.read_ms = c.start_ms = c.done_ms = fields[1].toLongLong() / 1000.0;
            c.byte = fields[2].toInt(nullptr, 16);
        } else {
            continue;
        }
        crossings.push_back(c);
    }
    return crossings;
}

struct Timings {
    std::vector<double> write_ms, read_ms, turnaround_ms;
};

// Splits the log into exchanges by their requests and times each from the start of its first
// byte in to the end of its last byte, in or out.
Timings time_exchanges(const std::vector<Crossing>& log) {
    Timings t;
    for (std::size_t i = 0; i + 1 < log.size(); ++i) {
        if (!log[i].in || log[i].byte != 0x1B || !log[i + 1].in)
            continue;
        if (log[i + 1].byte == 0xEF && i + write_bytes <= log.size()) {
            // 10 in, the check byte out, then 127 in.
            const Crossing& answer = log[i + 10];
            const Crossing& next = log[i + 11];
            const Crossing& last = log[i + write_bytes - 1];
            if (answer.in || !next.in || !last.in)
                continue;
            t.write_ms.push_back(last.done_ms - log[i].start_ms);
            t.turnaround_ms.push_back(next.read_ms - answer.read_ms);
        } else if (log[i + 1].byte == 0xEE && i + read_bytes <= log.size()) {
            const Crossing& last = log[i + read_bytes - 1];
            if (last.in)
                continue;
            t.read_ms.push_back(last.done_ms - log[i].start_ms);
        }
    }
    return t;
}

double median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double largest(const std::vector<double>& v) {
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

double cpu_seconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

const char* verdict(bool met) {
    return met ? "met" : "MISSED";
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser options;
    options.setApplicationDescription("Times the serial link against the virtual pole display.");
    options.addHelpOption();
    options.addOptions({
        {"transfers", "Writes and reads to time, <n> of each (default 20).", "n", "20"},
        {"delay", "The display's answer delay in <ms> (default 0).", "ms", "0"},
    });
    options.process(app);
    const int transfers = std::max(1, options.value("transfers").toInt());
    const int delay_ms = std::max(0, options.value("delay").toInt());

    QTemporaryDir folder;
    const QString log_path = folder.filePath("timing.log");
    display::VirtualDisplayProcess paced({"--baud", QString::number(line_speed), "--delay",
                                          QString::number(delay_ms), "--timing-log", log_path});
    display::VirtualDisplayProcess silent({"--silent"});
    if (!paced.started() || !silent.started()) {
        std::fprintf(stderr, "link_bench: the virtual display did not start\n");
        return 2;
    }

    QtSerialPort port;
    QtClock clock;
    QtCalendar calendar;
    const LinkSettings link{{0, paced.device()}, "9600,n,8,1"};
    ImageBytes payload{};
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<std::uint8_t>(i * 5);

    int failures = 0;
    for (int i = 0; i < transfers; ++i) {
        if (open_port(port, link)) {
            std::fprintf(stderr, "link_bench: cannot open %s\n", paced.device().c_str());
            return 2;
        }
        failures += write_exchange(port, clock, calendar, payload) != WriteOutcome::Written;
        port.close();
        if (open_port(port, link))
            return 2;
        failures += read_exchange(port, clock).outcome != ReadOutcome::Received;
        port.close();
    }
    // The display logs a byte out once it has written it; give it a moment for the last.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const Timings t = time_exchanges(load_log(log_path));

    // Awaiting a display that never answers, once each way.
    const LinkSettings quiet{{0, silent.device()}, "9600,n,8,1"};
    const double cpu_before = cpu_seconds();
    const auto wall_before = std::chrono::steady_clock::now();
    if (!open_port(port, quiet)) {
        failures += write_exchange(port, clock, calendar, payload) != WriteOutcome::NoAnswer;
        port.close();
    }
    if (!open_port(port, quiet)) {
        failures += read_exchange(port, clock).outcome != ReadOutcome::NoAnswer;
        port.close();
    }
    const double wall_s =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_before).count();
    const double cpu_share = (cpu_seconds() - cpu_before) / wall_s;

    const double write_min = write_bytes * byte_ms + delay_ms;
    const double stated_write_min = 137 * byte_ms + delay_ms;
    const double read_min = read_bytes * byte_ms + delay_ms;
    const double write_ratio = median(t.write_ms) / write_min;
    const double write_worst = largest(t.write_ms) / write_min;
    const double read_ratio = median(t.read_ms) / read_min;
    const double read_worst = largest(t.read_ms) / read_min;
    const double turnaround = median(t.turnaround_ms);

    std::printf("Link against the virtual display at %d bit/s, answer delay %d ms, %d writes "
                "and %d reads timed\n",
                line_speed, delay_ms, static_cast<int>(t.write_ms.size()),
                static_cast<int>(t.read_ms.size()));
    std::printf("write: median %.2f ms, worst %.2f ms; wire minimum %.2f ms (%d bytes)\n",
                median(t.write_ms), largest(t.write_ms), write_min, write_bytes);
    std::printf("       ratio median %.4f, worst %.4f (target <= 1.05: %s)\n", write_ratio,
                write_worst, verdict(write_worst <= 1.05));
    std::printf("       against 137 bytes, which leaves out the AA: median %.4f, worst %.4f\n",
                median(t.write_ms) / stated_write_min, largest(t.write_ms) / stated_write_min);
    std::printf("read:  median %.2f ms, worst %.2f ms; wire minimum %.2f ms (%d bytes)\n",
                median(t.read_ms), largest(t.read_ms), read_min, read_bytes);
    std::printf("       ratio median %.4f, worst %.4f (target <= 1.05: %s)\n", read_ratio,
                read_worst, verdict(read_worst <= 1.05));
    std::printf("host turn-around (check byte out -> AA in): median %.3f ms, worst %.3f ms "
                "(target median <= 2 ms: %s)\n",
                turnaround, largest(t.turnaround_ms), verdict(turnaround <= 2.0));
    std::printf("CPU while a silent display is awaited: %.4f of %.2f s wall (target <= 0.02: %s)\n",
                cpu_share, wall_s, verdict(cpu_share <= 0.02));
    if (failures || static_cast<int>(t.write_ms.size()) != transfers ||
        static_cast<int>(t.read_ms.size()) != transfers) {
        std::printf("%d exchanges ended otherwise than expected or went unlogged\n", failures);
        return 1;
    }
    return 0;
}
