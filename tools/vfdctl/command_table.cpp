#include "command_table.h"

#include "command_bodies.h"
#include "option_rules.h"

namespace pds::cli {

const std::vector<CommandSpec>& command_table() {
    static const std::vector<CommandSpec> table = {
        {"read",
         "read --port P -o FILE.vfd",
         {"Read the display's configuration into FILE.vfd."},
         {"port", "baud", "output"},
         read_operands,
         read_displays},
        {"write",
         "write FILE.vfd --port P",
         {"Write FILE.vfd into the display. The display is read first",
          "and left alone when it already holds FILE.vfd (--force",
          "writes anyway); after the write it is read back and",
          "compared (--no-verify skips that)."},
         {"port", "baud", "force", "no-verify"},
         write_operands,
         write_displays},
        {"show",
         "show FILE.vfd | --port P",
         {"Show a configuration field by field; with --preview,",
          "the welcome lines in the display's dots instead."},
         {"port", "baud", "preview", "ascii"},
         show_operands,
         show_configuration},
        {"diff",
         "diff A B",
         {"Compare two configurations field by field; A and B are", "each a file or port:P."},
         {"baud"},
         diff_operands,
         diff_configurations},
        {"export",
         "export FILE.vfd",
         {"Print the configuration as JSON; a line's text in its", "code page."},
         {},
         export_operands,
         export_configuration},
        {"import",
         "import CONFIG.json -o FILE.vfd",
         {"Make a settings file from JSON as export prints it; a",
          "line's text is read in the code page the JSON names",
          "(--add-missing draws the characters it lacks as", "user-defined characters)."},
         {"output", "add-missing"},
         import_operands,
         import_configuration},
        {"ports",
         "ports",
         {"List the serial ports the system reports, one a line:",
          "device (on Linux its /dev/serial/by-id name, the kernel",
          "name beside it), description, manufacturer, USB id and", "serial number."},
         {},
         no_operands,
         list_system_ports},
        {"find",
         "find [--port P ...]",
         {"Find the displays: sends the two-byte read request (1B EE,",
          "which stores nothing) to every listed port, or to each",
          "--port, all at once, at 9600 and then 19200 bit/s, and",
          "waits at most 250 ms for a first reply byte, since a",
          "display answers at once. Prints for each port the speed a",
          "display answered at, its code page, command set and first",
          "welcome line, or no display. Status 0 when a display", "answered, 5 when none did."},
         {"port"},
         no_operands,
         find_displays},
        {"say",
         "say --port P [--line 1|2] TEXT",
         {"Show TEXT on a line of the display, in the command set",
          "and code page it reports (the read first, which stores",
          "nothing, at 9600 then 19200 bit/s unless --baud names",
          "one). Text past 20 characters is cut, with a note; a",
          "character the code page lacks is refused (status 2)."},
         {"port", "baud", "command-set", "code-page", "line"},
         say_operands,
         say_on_displays},
        {"clear",
         "clear --port P",
         {"Clear the display, in its command set."},
         {"port", "baud", "command-set", "code-page"},
         clear_operands,
         clear_displays},
        {"brightness",
         "brightness --port P LEVEL",
         {"Set the display's brightness, 1 (dimmest) to 4; a set",
          "without a brightness command is refused (status 2)."},
         {"port", "baud", "command-set"},
         brightness_operands,
         set_brightness},
        {"test",
         "test --port P [--self-test]",
         {"Test the display: clear, 0123456789ABCDEFGHIJ on line 1",
          "and letters of its code page on line 2, each brightness",
          "level its set has, clear; then its self-test when asked",
          "for. Nothing is stored in the display."},
         {"port", "baud", "command-set", "code-page", "self-test", "pause"},
         test_operands,
         test_displays},
    };
    return table;
}

const CommandSpec* command_named(const std::string& name) {
    for (const auto& command : command_table())
        if (command.name == name)
            return &command;
    return nullptr;
}

std::string command_names() {
    const auto& table = command_table();
    std::string names;
    for (std::size_t i = 0; i < table.size(); ++i)
        names += (i == 0 ? "" : i + 1 == table.size() ? " or " : ", ") + table[i].name;
    return names;
}

} // namespace pds::cli
