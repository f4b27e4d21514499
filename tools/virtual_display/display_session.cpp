#include "display_session.h"

#include "glyphs/code_page_glyphs.h"

#include <utility>

namespace pds::display {

DisplaySession::DisplaySession(Behaviour behaviour, const ImageBytes& memory)
    : silent(behaviour.silent), protocol(behaviour, memory),
      interpreter(at_position(memory, position::command_set)) {}

Step DisplaySession::receive(std::uint8_t byte, std::int64_t at_ms) {
    Step step = protocol.receive(byte, at_ms);
    interpreter.receive(step.runtime);
    auto replies = interpreter.take_replies();
    if (!silent)
        step.reply.insert(step.reply.end(), replies.begin(), replies.end());
    if (step.exchange_begins)
        interpreter.interrupt();
    // A newly configured command set starts as the display does at power-on.
    const std::uint8_t configured = at_position(protocol.memory(), position::command_set);
    if (step.stored && configured != interpreter.command_set()) {
        gather_reports();
        interpreter = CommandInterpreter(configured);
    }
    return step;
}

void DisplaySession::gather_reports() {
    for (const auto& report : interpreter.take_reports())
        report_lines.push_back(report_text(report, interpreter.set_name(), characters()));
}

std::vector<std::string> DisplaySession::take_report_lines() {
    gather_reports();
    return std::exchange(report_lines, {});
}

void DisplaySession::line_dropped() {
    protocol.line_dropped();
}

const CodePageCharacters& DisplaySession::characters() const {
    return characters_of_code_page(at_position(protocol.memory(), position::code_page));
}

} // namespace pds::display
