// What is wrong with a serial port and how to fix it, worked out from the facts an adapter
// read from the system: the words and commands every front end shows.
#pragma once

#include "services/port_facts.h"

#include <optional>
#include <string>
#include <vector>

namespace pds {

struct Finding {
    // Fine: as it should be. Advice: works, but there is a better way or a thing to check.
    // Problem: the port cannot be used until it is fixed.
    enum class Severity { Fine, Advice, Problem };
    Severity severity = Severity::Fine;
    std::string topic;            // one word: device, access, holder, usb, driver, name, line
    std::string text;             // one sentence, without the port's name
    std::vector<std::string> fix; // commands to paste, in order; may be none
    std::string after_fix;        // what to do once they ran, e.g. log in again
};

// The findings about the port itself, device first; the line's come from line_finding().
std::vector<Finding> port_findings(const PortFacts& facts);

// What a probe of the line at the display's speeds came to.
struct LineCheck {
    enum class Outcome { Answered, NoAnswer, NeverQuiet, CannotOpen, Lost };
    Outcome outcome = Outcome::NoAnswer;
    int speed = 0;                  // Answered: the speed it answered at
    std::optional<int> given_speed; // the one speed the user asked for, if only one
    std::string reason;             // CannotOpen: the system's words
};

Finding line_finding(const LineCheck& check);

// No finding is a problem.
bool port_usable(const std::vector<Finding>& findings);

// The first problem, else the first advice with a fix: what a window has room for.
std::optional<Finding> main_finding(const std::vector<Finding>& findings);

// "fix: sudo usermod -aG dialout "$USER" (then log out and in again)": the finding's fix on
// one line, empty when it has none.
std::string fix_line(const Finding& finding);

// "usable", "problem", "advice": the finding's severity as one word.
std::string severity_word(Finding::Severity severity);

} // namespace pds
