// Scripted stand-ins for every service, so commands run on the editor model alone.
#pragma once

#include "editor/editor.h"
#include "link/serial_line.h"
#include "services/services.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pds::fakes {

class VirtualClock : public Clock {
public:
    std::uint32_t now = 0;
    std::uint32_t tick() override { return now; }
    void advance(std::uint32_t ms) { now += ms; }
};

// Each pass advances the virtual clock by the time it was allowed to wait.
class FakeEvents : public EventPump {
public:
    explicit FakeEvents(VirtualClock& c) : clock(c) {}
    void process_events(int max_wait_ms) override {
        ++passes;
        if (during_pass)
            during_pass();
        clock.advance(static_cast<std::uint32_t>(max_wait_ms > 0 ? max_wait_ms : 0));
    }
    VirtualClock& clock;
    int passes = 0;
    std::function<void()> during_pass;
};

class FixedCalendar : public Calendar {
public:
    Date date{2026, 12, 6};
    Date today() override { return date; }
};

struct Box {
    std::string text;
    std::string title;
    bool confirmation = false;
    bool operator==(const Box&) const = default;
};

class RecordedBoxes : public MessageBoxes {
public:
    void show(const std::string& text, const std::string& title) override {
        shown.push_back({text, title, false});
        if (on_show)
            on_show();
    }
    bool confirm(const std::string& text, const std::string& title) override {
        shown.push_back({text, title, true});
        return confirm_answer;
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& box : shown)
            out.push_back(box.text);
        return out;
    }
    std::vector<Box> shown;
    bool confirm_answer = true;
    std::function<void()> on_show; // e.g. to check state at the moment a box appears
};

class ScriptedDialog : public FileDialog {
public:
    ChosenFile choose_save(const FileFilter& filter) override { return answer(filter, "save"); }
    ChosenFile choose_open(const FileFilter& filter) override { return answer(filter, "open"); }
    std::deque<ChosenFile> answers; // empty queue answers like Cancel
    std::vector<std::pair<std::string, FileFilter>> asked;

private:
    ChosenFile answer(const FileFilter& filter, const char* mode) {
        asked.emplace_back(mode, filter);
        if (answers.empty())
            return {};
        auto chosen = answers.front();
        answers.pop_front();
        return chosen;
    }
};

class MemoryFiles : public FileStore {
public:
    std::variant<std::vector<std::uint8_t>, FileError> read(const std::string& path,
                                                            std::size_t max_bytes) override {
        auto it = files.find(path);
        if (it == files.end())
            return FileError{"No such file or directory"};
        auto bytes = it->second;
        if (bytes.size() > max_bytes)
            bytes.resize(max_bytes);
        return bytes;
    }
    std::variant<std::monostate, FileError> replace(const std::string& path,
                                                    std::span<const std::uint8_t> bytes) override {
        ++writes;
        if (read_only.count(path))
            return FileError{"Permission denied"};
        files[path] = {bytes.begin(), bytes.end()};
        return std::monostate{};
    }
    std::map<std::string, std::vector<std::uint8_t>> files;
    std::map<std::string, bool> read_only;
    int writes = 0;
};

class RecordedShell : public Shell {
public:
    void open_document(const std::string& path) override { opened.push_back(path); }
    std::vector<std::string> opened;
};

// A serial port driven by the virtual clock. Bytes the host sends are recorded and handed to
// `on_sent`, which plays the display by scheduling arrivals. Due times are compared by their
// signed 32-bit distance from now, so scheduling across a wrap of the clock keeps their order.
class ScriptedPort : public SerialPort {
public:
    explicit ScriptedPort(VirtualClock& c) : clock(c) {}

    void set_port(const PortChoice& c) override {
        choice = c;
        record("set_port");
    }
    void set_settings(const LineSettings& s) override {
        settings = line_settings_text(s);
        record("set_settings");
    }
    PortDevice find_device() override { return device_for(choice, this_host()); }
    std::optional<PortFailure> open() override {
        ++opens;
        record("open");
        if (open_failure)
            return open_failure;
        open_ = true;
        // Each open finds the device afresh: a loss that has happened belongs to the session it
        // ended, and output that never left was dropped with it.
        lost = false;
        if (loss_at && until(*loss_at) <= 0)
            loss_at.reset();
        pending = 0;
        drained_at.reset();
        sent_since_open = 0;
        return std::nullopt;
    }
    void close() override {
        if (open_)
            ++closes;
        open_ = false;
        record("close");
    }
    bool is_open() const override { return open_; }

    int bytes_waiting() override {
        deliver_due();
        return static_cast<int>(input.size());
    }
    std::vector<std::uint8_t> read_all() override {
        deliver_due();
        std::vector<std::uint8_t> out(input.begin(), input.end());
        input.clear();
        return out;
    }
    void queue(std::span<const std::uint8_t> bytes) override {
        if (device_lost())
            return; // a device that is gone takes nothing
        std::size_t taken = 0;
        for (auto b : bytes) {
            sent.push_back(b);
            ++sent_since_open;
            ++taken;
            if (!never_drains) {
                if (on_sent)
                    on_sent(b);
                schedule_after_sent();
            }
            if (lose_after_bytes && sent_since_open == *lose_after_bytes) {
                lose_after_bytes.reset();
                lost = true;
                break;
            }
        }
        if (never_drains || drain_ms > 0)
            pending += static_cast<int>(taken);
        if (!never_drains && drain_ms > 0)
            drained_at = clock.now + drain_ms;
    }
    int bytes_pending() override {
        deliver_due();
        return pending;
    }
    void wait_for_activity(int max_ms) override {
        ++waits;
        deliver_due();
        if (device_lost())
            return;
        std::uint32_t step = static_cast<std::uint32_t>(max_ms > 0 ? max_ms : 0);
        auto sooner = [&](std::uint32_t due) {
            const std::int32_t u = until(due);
            if (u >= 0 && static_cast<std::uint32_t>(u) < step)
                step = static_cast<std::uint32_t>(u);
        };
        for (const auto& a : arrivals)
            sooner(a.due);
        if (loss_at)
            sooner(*loss_at);
        if (drained_at)
            sooner(*drained_at);
        clock.advance(step);
        deliver_due();
    }
    bool device_lost() const override { return lost || (loss_at && until(*loss_at) <= 0); }
    double ms_per_character() const override { return character_ms; }
    void begin_unbroken() override { unbroken_marks.push_back(sent.size()); }
    void end_unbroken() override { unbroken_marks.push_back(sent.size()); }

    // Bytes that arrive `delay_ms` from now.
    void arrive_in(std::uint32_t delay_ms, std::vector<std::uint8_t> bytes) {
        arrivals.push_back({clock.now + delay_ms, std::move(bytes)});
    }
    // Bytes that arrive `delay_ms` after the host queues its `count`-th byte since opening.
    void arrive_after_sent(std::size_t count, std::uint32_t delay_ms,
                           std::vector<std::uint8_t> bytes) {
        after_sent.push_back({count, delay_ms, std::move(bytes)});
    }
    // The device goes away `delay_ms` from now.
    void lose_in(std::uint32_t delay_ms) { loss_at = clock.now + delay_ms; }

    VirtualClock& clock;
    PortChoice choice;
    std::string settings; // as text, e.g. "9600,n,8,1"
    std::optional<PortFailure> open_failure;
    std::vector<std::uint8_t> sent;
    std::deque<std::uint8_t> input;
    std::function<void(std::uint8_t)> on_sent;
    // Every set_port, set_settings, open and close in order, each also handed to on_call.
    std::vector<std::string> calls;
    std::function<void(const std::string&)> on_call;
    bool never_drains = false;        // queued bytes stay pending and never reach on_sent
    std::uint32_t drain_ms = 0;       // time queued bytes take to leave; 0 leaves them at once
    double character_ms = 10.0 / 9.6; // what the line's speed would be: 9600 bit/s
    std::optional<std::size_t> lose_after_bytes; // the device goes once this many bytes are sent
    // How many bytes had been sent at each begin_unbroken and end_unbroken, in turn.
    std::vector<std::size_t> unbroken_marks;
    bool lost = false;
    int pending = 0;
    int opens = 0;
    int closes = 0;
    int waits = 0;

private:
    struct Arrival {
        std::uint32_t due;
        std::vector<std::uint8_t> bytes;
    };
    struct ArrivalAfterSent {
        std::size_t count;
        std::uint32_t delay_ms;
        std::vector<std::uint8_t> bytes;
    };
    void schedule_after_sent() {
        for (auto it = after_sent.begin(); it != after_sent.end();) {
            if (it->count == sent_since_open) {
                arrive_in(it->delay_ms, std::move(it->bytes));
                it = after_sent.erase(it);
            } else {
                ++it;
            }
        }
    }
    std::int32_t until(std::uint32_t due) const {
        return static_cast<std::int32_t>(due - clock.now);
    }
    void record(const char* call) {
        calls.push_back(call);
        if (on_call)
            on_call(call);
    }
    void deliver_due() {
        // Earliest first; arrivals due at the same moment keep the order they were scheduled in.
        std::stable_sort(arrivals.begin(), arrivals.end(), [&](const Arrival& a, const Arrival& b) {
            return until(a.due) < until(b.due);
        });
        while (!arrivals.empty() && until(arrivals.front().due) <= 0) {
            input.insert(input.end(), arrivals.front().bytes.begin(), arrivals.front().bytes.end());
            arrivals.erase(arrivals.begin());
        }
        if (drained_at && until(*drained_at) <= 0) {
            pending = 0;
            drained_at.reset();
        }
    }
    std::vector<Arrival> arrivals; // in the order they were scheduled
    std::vector<ArrivalAfterSent> after_sent;
    std::optional<std::uint32_t> loss_at;
    std::optional<std::uint32_t> drained_at;
    std::size_t sent_since_open = 0;
    bool open_ = false;
};

// Every fake wired together, with an editor on top.
// Facts of the ports a case names; any other port gives nothing worth saying.
class FixedPortExaminer : public PortExaminer {
public:
    PortFacts examine(const std::string& port) override {
        examined.push_back(port);
        const auto it = facts.find(port);
        return it != facts.end() ? it->second : no_port_examiner().examine(port);
    }
    std::vector<std::string> serial_ports() override { return {}; }
    std::map<std::string, PortFacts> facts;
    std::vector<std::string> examined;
};

struct FakeServices {
    VirtualClock clock;
    FakeEvents events{clock};
    ScriptedPort port{clock};
    FixedCalendar calendar;
    RecordedBoxes boxes;
    ScriptedDialog dialog;
    MemoryFiles files;
    RecordedShell shell;
    FixedPortList port_list;
    FixedPortExaminer port_examiner;
    Services services{port,   clock, events, calendar,  boxes,
                      dialog, files, shell,  port_list, port_examiner};
};

struct EditorFixture {
    FakeServices fake;
    Editor editor{fake.services};
};

} // namespace pds::fakes
