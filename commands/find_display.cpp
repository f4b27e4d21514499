#include "commands/find_display.h"

#include "commands/port_checkup.h"
#include "editor/host_link.h"
#include "link/forwarding_port.h"
#include "link/port_failure_message.h"
#include "link/serial_line.h"

#include <algorithm>

namespace pds {

namespace {

// How long a probe waits at most before it asks again whether it was cancelled.
constexpr int cancel_slice_ms = 20;

// The port as the probe sees it: once the operator cancels, it behaves as a device that went
// away, which every exchange routine already ends on at once without sending more.
class CancellablePort : public ForwardingSerialPort {
public:
    CancellablePort(SerialPort& port, const std::function<bool()>& cancelled)
        : ForwardingSerialPort(port), asked(cancelled) {}

    bool cancelled() {
        if (!stopped && asked && asked())
            stopped = true;
        return stopped;
    }

    void queue(std::span<const std::uint8_t> bytes) override {
        if (!cancelled())
            inner.queue(bytes);
    }
    void wait_for_activity(int max_ms) override {
        if (!cancelled())
            inner.wait_for_activity(std::min(max_ms, cancel_slice_ms));
    }
    bool device_lost() const override { return stopped || inner.device_lost(); }

private:
    const std::function<bool()>& asked;
    bool stopped = false;
};

int baud_entry_of(const ComboBox& box, int speed) {
    const std::string prefix = std::to_string(speed) + ",";
    for (int i = 0; i < box.size(); ++i)
        if (box.entries[static_cast<std::size_t>(i)].starts_with(prefix))
            return i;
    return -1;
}

} // namespace

PortProbe probe_port(SerialPort& port, Clock& clock, const PortChoice& choice,
                     const std::function<bool()>& cancelled,
                     const std::function<void(int)>& before_speed) {
    CancellablePort watched(port, cancelled);
    PortProbe probe;
    for (int speed : probe_speeds) {
        if (watched.cancelled()) {
            probe.result = PortProbe::Result::Cancelled;
            break;
        }
        if (before_speed)
            before_speed(speed);
        probe.last = probe_at_speed(watched, clock, choice, speed);
        if (watched.cancelled()) {
            probe.result = PortProbe::Result::Cancelled;
            break;
        }
        if (probe.last.outcome == ProbeOutcome::Answered) {
            probe.result = PortProbe::Result::Found;
            probe.speed = speed;
            probe.image = probe.last.image;
            break;
        }
        if (probe.last.outcome != ProbeOutcome::NoDisplay) {
            probe.result = PortProbe::Result::Failed;
            break;
        }
    }
    if (port.is_open())
        port.close();
    return probe;
}

std::vector<FindCandidate> find_candidates(const EditorModel& model,
                                           const std::vector<SystemPort>& listed,
                                           const PortNaming& naming) {
    std::vector<FindCandidate> candidates;
    const PortChoice box = take_link_settings(model).port;
    const auto box_device = naming(box).device;
    if (box_device)
        candidates.push_back({box, model.host_port.text(), true});
    for (const auto& port : listed) {
        if (box_device && (*box_device == port.device || *box_device == port.kernel_name))
            continue;
        candidates.push_back({PortChoice{0, port.device}, port.device, false});
    }
    return candidates;
}

std::string find_step_text(const std::string& port, int speed) {
    return "Asking " + port + " at " + std::to_string(speed) + " bit/s...";
}

void find_display(Editor& editor, FindProgress& progress) {
    Services& p = editor.services;
    const auto candidates =
        find_candidates(editor.model, p.port_list.ports(), [&p](const PortChoice& choice) {
            p.port.set_port(choice);
            return p.port.find_device();
        });
    if (candidates.empty()) {
        p.boxes.show(p.port_list.no_port_to_find(), find_title);
        return;
    }
    if (!p.boxes.confirm("Find sends the two-byte read request, which changes nothing in a "
                         "display, to every listed port and to the port in the box (" +
                             std::to_string(candidates.size()) +
                             (candidates.size() == 1 ? " port" : " ports") +
                             "), at 9600 and then 19200 bit/s.",
                         find_title))
        return;

    const int total = static_cast<int>(candidates.size() * std::size(probe_speeds));
    int done = 0;
    const std::function<bool()> cancelled = [&progress] { return progress.cancelled(); };
    std::optional<std::pair<FindCandidate, int>> found;
    std::vector<std::string> unopened;
    std::vector<std::string> held;    // each with the words a read would say of it
    std::vector<std::string> checked; // each port the check finds a problem with, and its fix
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const FindCandidate& candidate = candidates[i];
        done = static_cast<int>(i * std::size(probe_speeds));
        const PortProbe probe =
            probe_port(p.port, p.clock, candidate.choice, cancelled, [&](int speed) {
                progress.next_step(done++, total, candidate.name, speed);
            });
        if (probe.result == PortProbe::Result::Cancelled) {
            progress.finished();
            return;
        }
        if (probe.result == PortProbe::Result::Found) {
            found.emplace(candidate, probe.speed);
            break;
        }
        const std::string device = device_for(candidate.choice, this_host()).device.value_or("");
        if (const std::string line = checkup_line(p.port_examiner, device); !line.empty())
            checked.push_back(candidate.name + ": " + line);
        const auto& failure = probe.last.failure;
        if (probe.last.outcome == ProbeOutcome::CannotOpen && failure &&
            failure->kind == PortFailure::Kind::InUse)
            held.push_back(candidate.name + ": " + in_use_words(*failure));
        else if (probe.last.outcome == ProbeOutcome::CannotOpen)
            unopened.push_back(candidate.name);
        else if (probe.last.outcome == ProbeOutcome::NeverQuiet)
            held.push_back(candidate.name + ": " + never_quiet_words);
    }
    progress.finished();

    if (!found) {
        std::string text = "No display answered on " + std::to_string(candidates.size()) +
                           (candidates.size() == 1 ? " port" : " ports") +
                           " at 9600 or 19200 bit/s; nothing was changed.";
        if (!unopened.empty()) {
            text += "\rCould not be opened:";
            for (const auto& name : unopened)
                text += " " + name;
        }
        for (const auto& words : held)
            text += "\rSkipped " + words + ".";
        for (const auto& line : checked)
            text += "\r" + line;
        p.boxes.show(text, find_title);
        return;
    }
    const auto& [candidate, speed] = *found;
    if (!candidate.from_box)
        editor.model.host_port.type(candidate.name);
    if (const int entry = baud_entry_of(editor.model.host_line, speed); entry >= 0)
        editor.model.host_line.select(entry);
    p.boxes.show("A display answers on " + candidate.name + " at " + std::to_string(speed) +
                     " bit/s.\rThat port and speed are selected.",
                 find_title);
}

} // namespace pds
