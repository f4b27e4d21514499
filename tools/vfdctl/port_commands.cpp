#include "port_commands.h"

#include "adapters/qt/qt_clock.h"
#include "adapters/qt/qt_port_list.h"
#include "adapters/qt/qt_serial_port.h"
#include "display_jobs.h"
#include "exit_codes.h"
#include "inspect/describe.h"
#include "settings/option_lists.h"

#include <QThread>

#include <chrono>

namespace pds::cli {

const char* const port_commands_help =
    R"(  ports                           List the serial ports the system reports, one a line:
                                  device (on Linux its /dev/serial/by-id name, the kernel
                                  name beside it), description, manufacturer, USB id and
                                  serial number.
  find [--port P ...]             Find the displays: sends the two-byte read request (1B EE,
                                  which stores nothing) to every listed port, or to each
                                  --port, all at once, at 9600 and then 19200 bit/s, and
                                  waits at most 250 ms for a first reply byte, since a
                                  display answers at once. Prints for each port the speed a
                                  display answered at, its code page, command set and first
                                  welcome line, or no display. Status 0 when a display
                                  answered, 5 when none did.
  ports and find take --json: one JSON document instead of the lines.)";

namespace {

std::string meaning_of(int status) {
    switch (status) {
    case exit_success:
        return "ok";
    case exit_port_unavailable:
        return "port_unavailable";
    case exit_no_answer:
        return "no_answer";
    case exit_line_lost:
        return "line_lost";
    default:
        return "bad_reply";
    }
}

template <std::size_t N>
std::string entry_or_code(const std::array<std::string_view, N>& entries, std::uint8_t code) {
    if (code < N)
        return "\"" + std::string(entries[code]) + "\"";
    return "code " + std::to_string(code) + " (no entry)";
}

std::string count_of(std::size_t n, const char* one) {
    return std::to_string(n) + " " + one + (n == 1 ? "" : "s");
}

struct PortLine {
    int status = exit_success;
    std::string outcome;
    std::string message;
};

PortLine describe_probe(const PortProbe& probe) {
    const auto& last = probe.last;
    switch (probe.result) {
    case PortProbe::Result::Found: {
        const ImageBytes& image = *probe.image;
        return {exit_success, "found",
                "display at " + std::to_string(probe.speed) + " bit/s; code page " +
                    entry_or_code(char_entries, at_position(image, position::code_page)) +
                    ", command set " +
                    entry_or_code(command_entries, at_position(image, position::command_set)) +
                    ", line 1 \"" + line_text(bytes_at(image, position::welcome_line1, 20)) + "\""};
    }
    case PortProbe::Result::NoDisplay:
        return {exit_no_answer, "no_display", "no display: no answer at 9600 or 19200 bit/s"};
    case PortProbe::Result::Cancelled:
        return {exit_no_answer, "no_display", "no display: stopped"};
    case PortProbe::Result::Failed:
        break;
    }
    if (last.outcome == ProbeOutcome::CannotOpen && last.failure) {
        const auto& failure = *last.failure;
        std::string text = "no display: cannot open";
        if (!failure.reason.empty())
            text += ": " + escaped_text(failure.reason);
        return {exit_port_unavailable, "failed", text};
    }
    return {exit_line_lost, "failed", "no display: the device went away or would not send"};
}

} // namespace

PortCommandResult list_ports(const std::vector<SystemPort>& listed) {
    PortCommandResult result;
    auto ports = nlohmann::json::array();
    for (const auto& port : listed) {
        const std::string line = escaped_text(port_entry_text(port));
        result.lines.push_back(line);
        nlohmann::json entry = {
            {"port", port.device},
            {"status", 0},
            {"meaning", "ok"},
            {"message", line},
            {"kernel_name", port.kernel_name},
            {"description", port.description},
            {"manufacturer", port.manufacturer},
            {"serial_number", port.serial_number},
        };
        if (const std::string usb = usb_id_text(port); !usb.empty()) {
            entry["vendor_id"] = usb.substr(0, 4);
            entry["product_id"] = usb.substr(5);
        }
        ports.push_back(std::move(entry));
    }
    const std::string summary = listed.empty()
                                    ? "the system lists no serial port"
                                    : "the system lists " + count_of(listed.size(), "serial port");
    if (listed.empty())
        result.lines.push_back(summary);
    result.document = {{"command", "ports"},
                       {"status", 0},
                       {"meaning", "ok"},
                       {"message", summary},
                       {"ports", ports}};
    return result;
}

std::vector<PortProbe>
probe_every_port(const std::vector<PortChoice>& ports,
                 const std::function<std::unique_ptr<SerialPort>()>& make_port, Clock& clock) {
    std::vector<PortProbe> probes(ports.size());
    // Qt threads: a Qt port waits on the line through its thread's event dispatcher.
    std::vector<std::unique_ptr<QThread>> threads;
    for (std::size_t i = 0; i < ports.size(); ++i)
        threads.emplace_back(QThread::create([&, i] {
            // Made on the thread that uses it, as a Qt port must be.
            const auto port = make_port();
            probes[i] = probe_port(*port, clock, ports[i]);
        }));
    for (auto& thread : threads)
        thread->start();
    for (auto& thread : threads)
        thread->wait();
    return probes;
}

PortCommandResult find_report(const std::vector<std::string>& names,
                              const std::vector<PortProbe>& probes) {
    PortCommandResult result;
    auto ports = nlohmann::json::array();
    std::size_t found = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const PortLine line = describe_probe(probes[i]);
        const std::string name = escaped_text(names[i]);
        result.lines.push_back(name + ": " + line.message);
        nlohmann::json entry = {{"port", names[i]},
                                {"status", line.status},
                                {"meaning", meaning_of(line.status)},
                                {"message", line.message},
                                {"outcome", line.outcome}};
        if (probes[i].result == PortProbe::Result::Found) {
            ++found;
            const ImageBytes& image = *probes[i].image;
            entry["speed"] = probes[i].speed;
            entry["code_page"] = at_position(image, position::code_page);
            entry["command_set"] = at_position(image, position::command_set);
            entry["welcome_line1"] = line_text(bytes_at(image, position::welcome_line1, 20));
        }
        ports.push_back(std::move(entry));
    }
    std::string summary;
    if (names.empty())
        summary = "no port to probe: the system lists no serial port";
    else if (found == 0)
        summary = "no display answered on " + count_of(names.size(), "port");
    else
        summary = "a display answered on " + std::to_string(found) + " of " +
                  count_of(names.size(), "port");
    result.lines.push_back(summary);
    result.status = found > 0 ? exit_success : exit_no_answer;
    result.document = {{"command", "find"},
                       {"status", result.status},
                       {"meaning", meaning_of(result.status)},
                       {"message", summary},
                       {"ports", ports}};
    return result;
}

int run_port_command(const std::string& command, const std::vector<std::string>& ports, bool json,
                     bool quiet, std::ostream& out, std::ostream& err) {
    const auto start = std::chrono::steady_clock::now();
    QtPortList system;
    PortCommandResult result;
    if (command == "ports") {
        result = list_ports(system.ports());
    } else {
        std::vector<std::string> names = ports;
        if (names.empty())
            for (const auto& port : system.ports())
                names.push_back(port.device);
        std::vector<PortChoice> choices;
        for (const auto& name : names)
            choices.push_back(port_choice(name));
        QtClock clock;
        const auto probes = probe_every_port(
            choices, [] { return std::make_unique<QtSerialPort>(); }, clock);
        result = find_report(names, probes);
    }
    if (json) {
        result.document["elapsed_ms"] = std::chrono::duration_cast<std::chrono::milliseconds>(
                                            std::chrono::steady_clock::now() - start)
                                            .count();
        out << result.document.dump(2) << '\n';
        return result.status;
    }
    // The summary of a find that found nothing is what a script's log needs to see.
    for (std::size_t i = 0; i < result.lines.size(); ++i) {
        const bool last = i + 1 == result.lines.size();
        if (last && result.status != exit_success)
            err << result.lines[i] << '\n';
        else if (!quiet)
            out << result.lines[i] << '\n';
    }
    return result.status;
}

} // namespace pds::cli
