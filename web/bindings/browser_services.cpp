#include "browser_services.h"

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
EM_JS(void, js_find_step, (int done, int total, const char* title, const char* step), {
    Module.page.find.step(done, total, UTF8ToString(title), UTF8ToString(step));
});
EM_JS(int, js_find_cancelled, (), { return Module.page.find.cancelled() ? 1 : 0; });
EM_JS(void, js_find_finished, (), { Module.page.find.finished(); });
// clang-format on

namespace pds::web {

namespace {

std::string js_string(const char* key) {
    char* text = js_new_string(key);
    std::string out(text);
    std::free(text);
    return out;
}

} // namespace

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

void BrowserFindProgress::next_step(int done, int total, const std::string& port, int speed) {
    js_find_step(done, total, find_title, find_step_text(port, speed).c_str());
}

bool BrowserFindProgress::cancelled() {
    return js_find_cancelled() != 0;
}

void BrowserFindProgress::finished() {
    js_find_finished();
}

} // namespace pds::web
