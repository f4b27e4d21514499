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
    output.out << document_text(document) << std::flush;
    state.printed = true;
    return status;
}

std::optional<std::string> interruption_document(int status, const std::string& message) {
    Underway& state = underway();
    const std::lock_guard lock(state.mutex);
    if (!state.json || state.printed)
        return std::nullopt;
    state.printed = true;
    return document_text(summary(known_command(state.command), status, message, state.start));
}

} // namespace pds::cli
