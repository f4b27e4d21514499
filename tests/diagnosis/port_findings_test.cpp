// The findings of the line and of Windows' COM ports, and a finding said on one line.
#include "diagnosis/port_findings.h"

#include <gtest/gtest.h>

#include <string>

namespace pds {
namespace {

using Severity = Finding::Severity;
using Outcome = LineCheck::Outcome;

TEST(PortFindingsTest, TheLineSaysWhatTheProbeCameTo) {
    struct Case {
        LineCheck check;
        Severity severity;
        const char* words;
    };
    const Case cases[] = {
        {{Outcome::Answered, 9600, std::nullopt, {}}, Severity::Fine, "answers at 9600 bit/s"},
        {{Outcome::Answered, 19200, 19200, {}}, Severity::Fine, "answers at 19200 bit/s"},
        {{Outcome::Answered, 19200, 9600, {}},
         Severity::Advice,
         "answers at 19200 bit/s, not at the 9600 bit/s asked for"},
        {{Outcome::NoAnswer, 0, std::nullopt, {}}, Severity::Advice, "no display answered"},
        {{Outcome::NeverQuiet, 0, std::nullopt, {}}, Severity::Problem, "never fell quiet"},
        {{Outcome::CannotOpen, 0, std::nullopt, "Permission denied"},
         Severity::Problem,
         "cannot be opened: Permission denied"},
        {{Outcome::Lost, 0, std::nullopt, {}}, Severity::Problem, "went away"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words);
        const Finding finding = line_finding(c.check);
        EXPECT_EQ(finding.topic, "line");
        EXPECT_EQ(finding.severity, c.severity);
        EXPECT_NE(finding.text.find(c.words), std::string::npos) << finding.text;
    }
    EXPECT_EQ(line_finding({Outcome::Answered, 19200, 9600, {}}).after_fix,
              "use --baud 19200, or choose 19200 in the window");
}

PortFacts com_port(const std::string& port, PortFacts::Opening opening) {
    PortFacts facts;
    facts.port = port;
    facts.device = "\\\\.\\" + port;
    facts.kind = PortFacts::Kind::Other;
    facts.opening = opening;
    return facts;
}

TEST(PortFindingsTest, ComPortsAreJudgedByHowTheyOpen) {
    using Opening = PortFacts::Opening;
    const auto in_use = port_findings(com_port("COM5", Opening::InUse));
    EXPECT_FALSE(port_usable(in_use));
    EXPECT_EQ(main_finding(in_use)->text,
              "another program has it open: Windows denies access to it");

    auto broken = com_port("COM3", Opening::Failed);
    broken.open_error = "The device does not recognize the command";
    EXPECT_EQ(main_finding(port_findings(broken))->text,
              "it cannot be opened: The device does not recognize the command");

    // Above COM9 the name needs its prefix, which is advice, not a problem.
    const auto high = port_findings(com_port("COM12", Opening::Opened));
    EXPECT_TRUE(port_usable(high));
    EXPECT_NE(high[1].text.find("\\\\.\\COM12"), std::string::npos) << high[1].text;
    for (const auto& finding : port_findings(com_port("COM9", Opening::Opened)))
        EXPECT_EQ(finding.text.find("above COM9"), std::string::npos);

    PortFacts missing = com_port("COM30", Opening::Failed);
    missing.kind = PortFacts::Kind::Missing;
    missing.existing_ports = {"COM1", "COM5"};
    const auto gone = port_findings(missing);
    ASSERT_EQ(gone.size(), 1u);
    EXPECT_EQ(gone[0].text, "does not exist; the COM ports that do: COM1, COM5");
}

TEST(PortFindingsTest, TheWindowsLineHoldsTheCommandsAndWhatFollows) {
    Finding finding{Severity::Problem,
                    "access",
                    "not in the group",
                    {"sudo usermod -aG dialout \"$USER\""},
                    "then log out and in again"};
    EXPECT_EQ(fix_line(finding),
              "fix: sudo usermod -aG dialout \"$USER\" (then log out and in again)");
    finding.fix.push_back("newgrp dialout");
    EXPECT_EQ(fix_line(finding), "fix: sudo usermod -aG dialout \"$USER\" && newgrp dialout "
                                 "(then log out and in again)");
    EXPECT_EQ(fix_line({Severity::Problem, "holder", "x", {}, "close that program"}),
              "fix: close that program");
    EXPECT_EQ(fix_line({Severity::Fine, "device", "x", {}, {}}), "");
}

TEST(PortFindingsTest, TheMainFindingIsTheFirstProblemElseAdviceWithAFix) {
    const std::vector<Finding> findings = {
        {Severity::Fine, "device", "fine", {}, {}},
        {Severity::Advice, "name", "advice without a fix", {}, {}},
        {Severity::Advice, "name", "advice with a fix", {"a command"}, {}},
        {Severity::Problem, "holder", "the problem", {}, {}},
    };
    EXPECT_EQ(main_finding(findings)->text, "the problem");
    EXPECT_EQ(main_finding({findings.begin(), findings.begin() + 3})->text, "advice with a fix");
    EXPECT_FALSE(main_finding({findings.begin(), findings.begin() + 2}));
}

} // namespace
} // namespace pds
