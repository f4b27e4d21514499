#include "command_document.h"

#include "command_table.h"
#include "commands.h"
#include "exit_codes.h"

#include <chrono>
#include <mutex>

namespace pds::cli {

namespace {

// What run() is doing, for a signal that ends the program meanwhile; and whether its
// document is out, so that no reader gets two.
struct Underway {
    std::mutex mutex;
    bool json = false;
    bool printed = false;
    std::string command;
    std::chrono::steady_clock::time_point start;
    bool displays_in_use = false;
    std::function<Document(int status)> ports_so_far;
};

Underway& underway() {
    static Underway state;
    return state;
}

// The command's name for the document: empty when it names none.
std::string known_command(const std::string& command) {
    return command_named(command) ? command : "";
}

} // namespace

void begin_document(bool json) {
    Underway& state = underway();
    const std::lock_guard lock(state.mutex);
    state.json = json;
    state.printed = false;
    state.start = std::chrono::steady_clock::now();
}

void note_command(const std::string& command) {
    Underway& state = underway();
    const std::lock_guard lock(state.mutex);
    state.command = command;
}

void note_displays_in_use() {
    Underway& state = underway();
    const std::lock_guard lock(state.mutex);
    state.displays_in_use = true;
}

PortsSoFar::PortsSoFar(std::function<Document(int status)> ports_so_far) {
    note_displays_in_use();
    Underway& state = underway();
    const std::lock_guard lock(state.mutex);
    state.ports_so_far = std::move(ports_so_far);
}

PortsSoFar::~PortsSoFar() {
    Underway& state = underway();
    const std::lock_guard lock(state.mutex);
    state.ports_so_far = nullptr;
}

int finish(int status, const std::string& command, Output& output, const Document& extra,
           const std::string& success) {
    if (!output.json)
        return status;
    std::string message = status == exit_success || status == exit_different
                              ? success
                              : output.first_error.value_or("");
    if (message.empty() && !output.lines.empty())
        message = output.lines.back();
    if (message.starts_with("vfdctl: "))
        message.erase(0, 8);

    Underway& state = underway();
    const std::lock_guard lock(state.mutex);
    Document document = summary(known_command(command), status, message, state.start);
    for (const auto& [key, value] : extra.items())
        document[key] = value;
    document["lines"] = output.lines;
    document["exit_statuses"] = exit_status_table();
    output.out << document_text(document) << std::flush;
    state.printed = true;
    return status;
}

Interruption interruption(int status, const std::string& signal_name) {
    Underway& state = underway();
    const std::lock_guard lock(state.mutex);
    std::string message = "stopped by " + signal_name;
    if (state.displays_in_use)
        message += "; no display was left with part of a configuration";
    if (!state.json)
        return {"vfdctl: " + message, std::nullopt};
    // The document alone, or nothing when the run's own is out already.
    if (state.printed)
        return {};
    state.printed = true;
    Document document = summary(known_command(state.command), status, message, state.start);
    if (state.ports_so_far)
        document["ports"] = state.ports_so_far(status);
    document["exit_statuses"] = exit_status_table();
    return {"", document_text(document)};
}

} // namespace pds::cli
