// The services of the system in the browser. The line, clock, calendar and event pump are the
// browser module's own (adapters/web); the boxes, files and guide hand their work to the page's
// JavaScript (web/page/services.js), and those that wait for the operator suspend the core
// through Asyncify until the page answers.
#pragma once

#include "adapters/web/web_port_list.h"
#include "adapters/web/web_serial_port.h"
#include "commands/find_display.h"
#include "adapters/web/web_services.h"
#include "services/services.h"

#include <string>

namespace pds::web {

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

// Find's progress in the page's own box, whose Cancel the probe asks after as it waits.
class BrowserFindProgress : public FindProgress {
public:
    void next_step(int done, int total, const std::string& port, int speed) override;
    bool cancelled() override;
    void finished() override;
};

struct BrowserServices {
    WebSerialPort port;
    WebPortList port_list;
    WebClock clock;
    WebEventPump events;
    WebCalendar calendar;
    BrowserBoxes boxes;
    BrowserDialog dialog;
    BrowserFiles files;
    BrowserShell shell;
    Services services{port, clock, events, calendar, boxes, dialog, files, shell, port_list};
};

} // namespace pds::web
