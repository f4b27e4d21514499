#include "port_commands.h"

#include "exit_codes.h"
#include "inspect/describe.h"
#include "link/port_failure_message.h"
#include "settings/option_lists.h"
#include "shown_name.h"

#include <thread>

namespace pds::cli {

namespace {

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
    if (last.outcome == ProbeOutcome::NeverQuiet)
        return {exit_port_unavailable, "failed", std::string("no display: ") + never_quiet_words};
    if (last.outcome == ProbeOutcome::CannotOpen && last.failure) {
        const auto& failure = *last.failure;
        // Held by another program: said as read says it, since the port may well be fine.
        if (failure.kind == PortFailure::Kind::InUse)
            return {exit_port_unavailable, "failed",
                    "no display: " + escaped_text(in_use_words(failure))};
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
    auto ports = Document::array();
    for (const auto& port : listed) {
        const std::string line = escaped_text(port_entry_text(port));
        result.lines.push_back(line);
        Document entry = {
            {"port", document_name(port.device)},
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
    result.message = summary;
    result.ports = std::move(ports);
    return result;
}

std::vector<PortProbe> probe_every_port(const std::vector<PortChoice>& ports,
                                        const MakeLinkServices& link_services) {
    std::vector<PortProbe> probes(ports.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < ports.size(); ++i)
        threads.emplace_back([&, i] {
            // Made on the thread that uses it, as a Qt port must be.
            LinkServices link = link_services();
            probes[i] = probe_port(*link.port, *link.clock, ports[i]);
        });
    for (auto& thread : threads)
        thread.join();
    return probes;
}

PortCommandResult find_report(const std::vector<std::string>& names,
                              const std::vector<PortProbe>& probes) {
    PortCommandResult result;
    auto ports = Document::array();
    std::size_t found = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const PortLine line = describe_probe(probes[i]);
        const std::string name = shown_name(names[i]);
        result.lines.push_back(name + ": " + line.message);
        Document entry = {{"port", document_name(names[i])},
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
    result.message = summary;
    result.ports = std::move(ports);
    return result;
}

} // namespace pds::cli
