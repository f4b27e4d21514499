// The display's runtime commands: the bytes of the command set its configuration names, read
// into what the screen shows, with the bytes it cannot place reported.
#pragma once

#include "runtime_screen.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pds::display {

// What a command set makes of the bytes received so far of one command.
enum class Verdict {
    more,           // a command has begun; its next byte is needed
    done,           // carried out
    not_understood, // no command of the set, or one the display refuses to carry out
    ignored,        // a command the set's present mode ignores
    printer,        // meant for the peripheral behind the display, not for its screen
};

// Reads `pending` (never empty) as the start of one command and, once it is whole, carries it
// out on `state`.
using CommandSetReader = Verdict (*)(std::span<const std::uint8_t> pending, RuntimeState& state);

// Bytes that took no part in the screen, one run at a time.
struct RuntimeReport {
    Verdict kind; // not_understood, ignored or printer
    std::vector<std::uint8_t> bytes;
};

class CommandInterpreter {
public:
    // `command_set` is the image's code, an index in the command set list.
    explicit CommandInterpreter(std::uint8_t command_set);

    void receive(std::uint8_t byte);
    void receive(std::span<const std::uint8_t> bytes);
    // The host began a configuration exchange: a half-received command will not be finished.
    void interrupt();

    std::uint8_t command_set() const { return set; }
    std::string_view set_name() const { return name; }
    const Screen& screen() const { return state.screen; }
    const RuntimeState& runtime_state() const { return state; }

    // Screens shown for a moment since the last call, oldest first.
    std::vector<Screen> take_passing();
    // The bytes the display answers to the commands since the last call, for the host.
    std::vector<std::uint8_t> take_replies();
    // The runs of bytes reported since the last call; a run still open ends here.
    std::vector<RuntimeReport> take_reports();

private:
    void report(Verdict kind);

    std::uint8_t set;
    std::string name;
    CommandSetReader reader;
    RuntimeState state;
    std::vector<std::uint8_t> pending;
    std::vector<RuntimeReport> reports;
    bool run_open = false; // the last thing that happened was a report
};

// The console line of a report, e.g. `not understood (EPSON): 1B 99`; bytes for the printer
// also show as text through the code page.
std::string report_text(const RuntimeReport& report, std::string_view set_name,
                        const CodePageCharacters& page);

} // namespace pds::display
