// The whole display behind its line: the configuration exchanges, and the runtime commands of
// the command set its stored configuration names, told apart byte by byte.
#pragma once

#include "command_interpreter.h"
#include "display_protocol.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pds::display {

class DisplaySession {
public:
    DisplaySession(Behaviour behaviour, const ImageBytes& memory);

    // One byte from the host, as DisplayProtocol::receive; the runtime commands among the
    // bytes go on to the interpreter, and what it answers joins the step's reply.
    Step receive(std::uint8_t byte, std::int64_t at_ms);
    void line_dropped();

    const ImageBytes& memory() const { return protocol.memory(); }
    CommandInterpreter& runtime() { return interpreter; }
    const CommandInterpreter& runtime() const { return interpreter; }
    // The characters of the stored code page, which the screen's codes stand for.
    const CodePageCharacters& characters() const;

    // The console lines of the runs of bytes reported since the last call, each naming the set
    // that read them.
    std::vector<std::string> take_report_lines();

private:
    void gather_reports();

    bool silent;
    DisplayProtocol protocol;
    CommandInterpreter interpreter;
    std::vector<std::string> report_lines;
};

} // namespace pds::display
