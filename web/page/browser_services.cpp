#include "browser_services.h"

#include "services/serial_line.h"

#include <emscripten.h>

#include <cstdlib>

// Every function below calls into `Module.page`, which services.js fills before the core runs.
// clang-format would take the JavaScript for C++ and break it.
// clang-format off

// A string from JavaScript, in memory the caller frees.
EM_JS(char*, js_new_string, (const char* key), {
    const text = String(Module.page.strings[UTF8ToString(key)] || "");
    const size = lengthBytesUTF8(text) + 1;
    const at = _malloc(size);
    stringToUTF8(text, at, size);
    return at;
});

EM_ASYNC_JS(int, js_port_open,
            (int number, int speed, int data_bits, int stop_bits, const char* parity), {
                return await Module.page.line.open(number, {
                    baudRate : speed,
                    dataBits : data_bits,
                    stopBits : stop_bits,
                    parity : UTF8ToString(parity)
                });
            });
EM_ASYNC_JS(void, js_port_close, (), { await Module.page.line.close(); });
EM_JS(int, js_port_waiting, (), { return Module.page.line.waiting(); });
EM_JS(int, js_port_take, (std::uint8_t * into, int most), {
    const bytes = Module.page.line.take(most);
    HEAPU8.set(bytes, into);
    return bytes.length;
});
EM_JS(void, js_port_queue, (const std::uint8_t* bytes, int count),
      { Module.page.line.queue(HEAPU8.slice(bytes, bytes + count)); });
EM_JS(int, js_port_pending, (), { return Module.page.line.pending(); });
EM_ASYNC_JS(void, js_port_wait, (int max_ms), { await Module.page.line.wait(max_ms); });
EM_JS(int, js_port_lost, (), { return Module.page.line.lost() ? 1 : 0; });

EM_JS(double, js_now_ms, (), { return performance.now(); });
EM_ASYNC_JS(void, js_sleep, (int ms), { await new Promise(done => setTimeout(done, ms)); });
EM_JS(int, js_today, (), {
    const now = new Date();
    return now.getFullYear() * 10000 + (now.getMonth() + 1) * 100 + now.getDate();
});

EM_ASYNC_JS(int, js_box, (const char* text, const char* title, int with_cancel), {
    const ok =
        await Module.page.boxes.show(UTF8ToString(text), UTF8ToString(title), with_cancel !== 0);
    return ok ? 1 : 0;
});

EM_ASYNC_JS(int, js_choose_file, (int saving, const char* description, const char* pattern), {
    const name = await Module.page.files.choose(saving !== 0, UTF8ToString(description),
                                                UTF8ToString(pattern));
    Module.page.strings.chosen = name;
    return name ? 1 : 0;
});
EM_ASYNC_JS(int, js_read_file, (const char* name, int most),
            { return await Module.page.files.read(UTF8ToString(name), most); });
EM_JS(void, js_take_file, (std::uint8_t * into), { HEAPU8.set(Module.page.files.taken(), into); });
EM_ASYNC_JS(int, js_replace_file, (const char* name, const std::uint8_t* bytes, int count), {
    return await Module.page.files.replace(UTF8ToString(name), HEAPU8.slice(bytes, bytes + count))
               ? 1
               : 0;
});
EM_JS(void, js_show_guide, (), { Module.page.showGuide(); });
// clang-format on

namespace pds::web {

namespace {

std::string js_string(const char* key) {
    char* text = js_new_string(key);
    std::string out(text);
    std::free(text);
    return out;
}

// What Web Serial accepts of the line settings.
const char* web_parity(Parity parity) {
    switch (parity) {
    case Parity::None:
        return "none";
    case Parity::Even:
        return "even";
    case Parity::Odd:
        return "odd";
    default:
        return nullptr;
    }
}

} // namespace

std::optional<PortFailure> BrowserPort::open() {
    const ParsedSettings parsed = parse_line_settings(settings_);
    if (!parsed.settings)
        return PortFailure{PortFailure::Kind::BadSettings, {}, parsed.reason};
    const LineSettings& line = *parsed.settings;
    const char* parity = web_parity(line.parity);
    if (!parity || line.data_bits < 7 || line.stop_bits == StopBits::OneAndHalf)
        return PortFailure{PortFailure::Kind::BadSettings,
                           {},
                           "the browser's serial ports take 7 or 8 data bits, parity n, e or o "
                           "and 1 or 2 stop bits"};
    if (choice_.number < 1)
        return PortFailure{PortFailure::Kind::NoSuchPort,
                           {},
                           "no port is chosen; pick one in \"Com Port Select :\""};

    const int kind = js_port_open(choice_.number, line.speed, line.data_bits,
                                  line.stop_bits == StopBits::Two ? 2 : 1, parity);
    if (kind >= 0)
        return PortFailure{static_cast<PortFailure::Kind>(kind), {}, js_string("port_reason")};
    open_ = true;
    ms_per_character_ = character_time_ms(line);
    return std::nullopt;
}

void BrowserPort::close() {
    if (!open_)
        return;
    open_ = false;
    js_port_close();
}

int BrowserPort::bytes_waiting() {
    return js_port_waiting();
}

std::vector<std::uint8_t> BrowserPort::read_all() {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(js_port_waiting()));
    bytes.resize(
        static_cast<std::size_t>(js_port_take(bytes.data(), static_cast<int>(bytes.size()))));
    return bytes;
}

void BrowserPort::queue(std::span<const std::uint8_t> bytes) {
    js_port_queue(bytes.data(), static_cast<int>(bytes.size()));
}

int BrowserPort::bytes_pending() {
    return js_port_pending();
}

void BrowserPort::wait_for_activity(int max_ms) {
    js_port_wait(max_ms);
}

bool BrowserPort::device_lost() const {
    return js_port_lost() != 0;
}

std::uint32_t BrowserClock::tick() {
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(js_now_ms()));
}

void BrowserEvents::process_events(int max_wait_ms) {
    js_sleep(max_wait_ms);
}

Date BrowserCalendar::today() {
    const int day = js_today();
    return {day / 10000, day / 100 % 100, day % 100};
}

void BrowserBoxes::show(const std::string& text, const std::string& title) {
    js_box(text.c_str(), title.c_str(), 0);
}

bool BrowserBoxes::confirm(const std::string& text, const std::string& title) {
    return js_box(text.c_str(), title.c_str(), 1) != 0;
}

namespace {
ChosenFile choose(bool saving, const FileFilter& filter) {
    if (!js_choose_file(saving ? 1 : 0, filter.description.c_str(), filter.pattern.c_str()))
        return {};
    const std::string name = js_string("chosen");
    return {name, name};
}
} // namespace

ChosenFile BrowserDialog::choose_save(const FileFilter& filter) {
    return choose(true, filter);
}

ChosenFile BrowserDialog::choose_open(const FileFilter& filter) {
    return choose(false, filter);
}

std::variant<std::vector<std::uint8_t>, FileError> BrowserFiles::read(const std::string& path,
                                                                      std::size_t max_bytes) {
    const int size = js_read_file(path.c_str(), static_cast<int>(max_bytes));
    if (size < 0)
        return FileError{js_string("file_reason")};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    js_take_file(bytes.data());
    return bytes;
}

std::variant<std::monostate, FileError> BrowserFiles::replace(const std::string& path,
                                                              std::span<const std::uint8_t> bytes) {
    if (!js_replace_file(path.c_str(), bytes.data(), static_cast<int>(bytes.size())))
        return FileError{js_string("file_reason")};
    return std::monostate{};
}

void BrowserShell::open_document(const std::string&) {
    js_show_guide();
}

} // namespace pds::web
