// The transfer side of the browser module: one editor on the browser's services, whose Write
// and Read run the desktop's own commands over Web Serial. A transfer suspends the core while
// it waits, which Asyncify can only resume through a plain export called with
// ccall(..., {async: true}); everything else is bound with embind. The messages the commands
// show are collected for the page to show in turn.

#include "adapters/web/web_serial_port.h"
#include "adapters/web/web_services.h"
#include "commands/read_from_display.h"
#include "commands/save_and_load.h"
#include "commands/startup.h"
#include "commands/write_to_display.h"
#include "editor/editor.h"

#include <emscripten/bind.h>
#include <emscripten/em_macros.h>
#include <emscripten/val.h>

#include <string>
#include <vector>

namespace {

using namespace pds;

class CollectedBoxes : public MessageBoxes {
public:
    void show(const std::string& text, const std::string&) override { shown.push_back(text); }
    bool confirm(const std::string& text, const std::string&) override {
        shown.push_back(text);
        return true;
    }
    std::vector<std::string> shown;
};

// The image handed in from the page, loaded through the same path as a settings file.
class HandedImage : public FileStore, public FileDialog, public Shell {
public:
    std::variant<std::vector<std::uint8_t>, FileError> read(const std::string&,
                                                            std::size_t max_bytes) override {
        auto copy = bytes;
        if (copy.size() > max_bytes)
            copy.resize(max_bytes);
        return copy;
    }
    std::variant<std::monostate, FileError> replace(const std::string&,
                                                    std::span<const std::uint8_t>) override {
        return FileError{"the browser keeps no files here"};
    }
    ChosenFile choose_save(const FileFilter&) override { return {}; }
    ChosenFile choose_open(const FileFilter&) override { return {}; }
    void open_document(const std::string&) override {}

    std::vector<std::uint8_t> bytes;
};

struct Session {
    WebSerialPort port;
    WebClock clock;
    WebEventPump events;
    WebCalendar calendar;
    CollectedBoxes boxes;
    HandedImage handed;
    Services services{port, clock, events, calendar, boxes, handed, handed, handed};
    Editor editor{services};

    Session() { start_up(editor); }
};

Session& session() {
    static Session instance;
    return instance;
}

void set_port(const std::string& comm) {
    session().editor.model.host_port.type(comm);
}

void set_line_settings(const std::string& settings) {
    session().editor.model.host_line.type(settings);
}

// False, with the editor as it was, for bytes a settings file could not hold.
bool set_image(const emscripten::val& bytes) {
    Session& s = session();
    s.handed.bytes = emscripten::convertJSArrayToNumberVector<std::uint8_t>(bytes);
    s.editor.file_name = "image";
    return read_settings_file(s.editor);
}

// The 126 bytes in position order, as a settings file holds them.
emscripten::val image() {
    const ImageBytes bytes = session().editor.image.payload();
    return emscripten::val::global("Uint8Array")
        .new_(emscripten::typed_memory_view(bytes.size(), bytes.data()))
        .call<emscripten::val>("slice");
}

// The messages shown since the last call, oldest first.
emscripten::val take_messages() {
    auto& shown = session().boxes.shown;
    auto list = emscripten::val::array();
    for (const auto& text : shown)
        list.call<void>("push", text);
    shown.clear();
    return list;
}

} // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE void pds_write_to_display() {
    write_to_display(session().editor);
}

EMSCRIPTEN_KEEPALIVE void pds_read_from_display() {
    read_from_display(session().editor);
}

} // extern "C"

EMSCRIPTEN_BINDINGS(pds_link) {
    emscripten::function("setPort", &set_port);
    emscripten::function("setLineSettings", &set_line_settings);
    emscripten::function("setImage", &set_image);
    emscripten::function("image", &image);
    emscripten::function("takeMessages", &take_messages);
}
