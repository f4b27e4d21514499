// Scripted stand-ins for every platform service, so handlers run on the editor model alone.
#pragma once

#include "editor/editor.h"
#include "platform/platform.h"

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
// `on_sent`, which plays the display by scheduling arrivals.
class ScriptedPort : public SerialPort {
public:
    explicit ScriptedPort(VirtualClock& c) : clock(c) {}

    void set_port(const PortChoice& c) override { choice = c; }
    void set_settings(const std::string& s) override { settings = s; }
    std::optional<PortFailure> open() override {
        ++opens;
        if (open_failure)
            return open_failure;
        open_ = true;
        return std::nullopt;
    }
    void close() override {
        if (open_)
            ++closes;
        open_ = false;
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
        for (auto b : bytes) {
            sent.push_back(b);
            if (!never_drains && on_sent)
                on_sent(b);
        }
        if (never_drains)
            pending += static_cast<int>(bytes.size());
    }
    int bytes_pending() override { return pending; }
    void wait_for_activity(int max_ms) override {
        ++waits;
        std::uint32_t step = static_cast<std::uint32_t>(max_ms > 0 ? max_ms : 0);
        if (!arrivals.empty()) {
            const std::int32_t until = static_cast<std::int32_t>(arrivals.begin()->first - clock.now);
            if (until >= 0 && static_cast<std::uint32_t>(until) < step)
                step = static_cast<std::uint32_t>(until);
        }
        clock.advance(step);
        deliver_due();
    }
    bool device_lost() const override { return lost; }

    // Bytes that arrive `delay_ms` from now.
    void arrive_in(std::uint32_t delay_ms, std::vector<std::uint8_t> bytes) {
        auto& slot = arrivals[clock.now + delay_ms];
        slot.insert(slot.end(), bytes.begin(), bytes.end());
    }

    VirtualClock& clock;
    PortChoice choice;
    std::string settings;
    std::optional<PortFailure> open_failure;
    std::vector<std::uint8_t> sent;
    std::deque<std::uint8_t> input;
    std::function<void(std::uint8_t)> on_sent;
    bool never_drains = false;
    bool lost = false;
    int pending = 0;
    int opens = 0;
    int closes = 0;
    int waits = 0;

private:
    void deliver_due() {
        while (!arrivals.empty() &&
               static_cast<std::int32_t>(arrivals.begin()->first - clock.now) <= 0) {
            input.insert(input.end(), arrivals.begin()->second.begin(), arrivals.begin()->second.end());
            arrivals.erase(arrivals.begin());
        }
    }
    std::map<std::uint32_t, std::vector<std::uint8_t>> arrivals;
    bool open_ = false;
};

// Every fake wired together, with an editor on top.
struct FakePlatform {
    VirtualClock clock;
    FakeEvents events{clock};
    ScriptedPort port{clock};
    FixedCalendar calendar;
    RecordedBoxes boxes;
    ScriptedDialog dialog;
    MemoryFiles files;
    RecordedShell shell;
    Platform services{port, clock, events, calendar, boxes, dialog, files, shell};
};

struct EditorFixture {
    FakePlatform fake;
    Editor editor{fake.services};
};

} // namespace pds::fakes
