// The services of the system in the browser: each hands its work to the page's JavaScript
// (web/page/services.js), and those that wait for the operator or the line suspend the core
// through Asyncify until the page answers.
#pragma once

#include "services/services.h"

#include <string>

namespace pds::web {

class BrowserPort : public SerialPort {
public:
    void set_port(const PortChoice& choice) override { choice_ = choice; }
    void set_settings(const std::string& settings) override { settings_ = settings; }
    std::optional<PortFailure> open() override;
    void close() override;
    bool is_open() const override { return open_; }
    int bytes_waiting() override;
    std::vector<std::uint8_t> read_all() override;
    void queue(std::span<const std::uint8_t> bytes) override;
    int bytes_pending() override;
    void wait_for_activity(int max_ms) override;
    bool device_lost() const override;
    double ms_per_character() const override { return ms_per_character_; }

private:
    PortChoice choice_;
    std::string settings_;
    bool open_ = false;
    double ms_per_character_ = 1.0;
};

class BrowserClock : public Clock {
public:
    std::uint32_t tick() override;
};

// Hands the page back to the browser for at most the time asked, so it paints and stays alive
// while a transfer waits.
class BrowserEvents : public EventPump {
public:
    void process_events(int max_wait_ms) override;
};

class BrowserCalendar : public Calendar {
public:
    Date today() override;
};

class BrowserBoxes : public MessageBoxes {
public:
    void show(const std::string& text, const std::string& title = {}) override;
    bool confirm(const std::string& text, const std::string& title) override;
};

// The operator picks a file in the browser's own picker; the path handed on is the name the
// page keeps the chosen file or save target under.
class BrowserDialog : public FileDialog {
public:
    ChosenFile choose_save(const FileFilter& filter) override;
    ChosenFile choose_open(const FileFilter& filter) override;
};

class BrowserFiles : public FileStore {
public:
    std::variant<std::vector<std::uint8_t>, FileError> read(const std::string& path,
                                                            std::size_t max_bytes) override;
    std::variant<std::monostate, FileError> replace(const std::string& path,
                                                    std::span<const std::uint8_t> bytes) override;
};

// "Opening a document" shows the user guide, which the page carries inside itself.
class BrowserShell : public Shell {
public:
    void open_document(const std::string& path) override;
};

struct BrowserServices {
    BrowserPort port;
    BrowserClock clock;
    BrowserEvents events;
    BrowserCalendar calendar;
    BrowserBoxes boxes;
    BrowserDialog dialog;
    BrowserFiles files;
    BrowserShell shell;
    Services services{port, clock, events, calendar, boxes, dialog, files, shell};
};

} // namespace pds::web
