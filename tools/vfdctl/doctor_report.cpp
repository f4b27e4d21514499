#include "doctor_report.h"

#include "exit_codes.h"
#include "link/port_failure_message.h"
#include "shown_name.h"

namespace pds::cli {

namespace {

std::string kind_word(PortFacts::Kind kind) {
    switch (kind) {
    case PortFacts::Kind::Missing:
        return "missing";
    case PortFacts::Kind::UsbAdapter:
        return "usb_adapter";
    case PortFacts::Kind::BuiltInUart:
        return "built_in";
    case PortFacts::Kind::PseudoTerminal:
        return "pseudo_terminal";
    case PortFacts::Kind::Other:
        break;
    }
    return "other";
}

std::size_t problems_in(const std::vector<Finding>& findings) {
    std::size_t count = 0;
    for (const auto& finding : findings)
        count += finding.severity == Finding::Severity::Problem;
    return count;
}

std::string count_of(std::size_t n, const char* one) {
    return std::to_string(n) + " " + one + (n == 1 ? "" : "s");
}

Document finding_document(const Finding& finding) {
    return {{"topic", finding.topic},
            {"severity", severity_word(finding.severity)},
            {"text", finding.text},
            {"fix", finding.fix},
            {"after_fix", finding.after_fix}};
}

} // namespace

LineCheck line_check(const PortProbe& probe, std::optional<int> given_speed) {
    using Outcome = LineCheck::Outcome;
    switch (probe.result) {
    case PortProbe::Result::Found:
        return {Outcome::Answered, probe.speed, given_speed, {}};
    case PortProbe::Result::NoDisplay:
    case PortProbe::Result::Cancelled:
        return {Outcome::NoAnswer, 0, given_speed, {}};
    case PortProbe::Result::Failed:
        break;
    }
    if (probe.last.outcome == ProbeOutcome::NeverQuiet)
        return {Outcome::NeverQuiet, 0, given_speed, {}};
    if (probe.last.outcome == ProbeOutcome::CannotOpen && probe.last.failure) {
        const auto& failure = *probe.last.failure;
        return {Outcome::CannotOpen, 0, given_speed,
                failure.kind == PortFailure::Kind::InUse ? in_use_words(failure) : failure.reason};
    }
    return {Outcome::Lost, 0, given_speed, {}};
}

PortCommandResult doctor_report(const std::vector<ExaminedPort>& examined) {
    PortCommandResult result;
    auto ports = Document::array();
    std::size_t unusable = 0;
    for (const auto& port : examined) {
        const std::string name = shown_name(port.port);
        const std::size_t problems = problems_in(port.findings);
        const int status = problems == 0 ? exit_success : exit_port_unavailable;
        const std::string message =
            problems == 0 ? "usable" : "cannot be used: " + count_of(problems, "problem");
        unusable += problems != 0;
        result.lines.push_back(name + ": " + message);
        auto findings = Document::array();
        for (const auto& finding : port.findings) {
            // Our own words and the system's names: a Windows device keeps its backslashes.
            result.lines.push_back("  " + severity_word(finding.severity) + ": " + finding.text);
            for (const auto& command : finding.fix)
                result.lines.push_back("      " + command);
            if (!finding.after_fix.empty())
                result.lines.push_back("    " + finding.after_fix);
            findings.push_back(finding_document(finding));
        }
        ports.push_back({{"port", document_name(port.port)},
                         {"status", status},
                         {"meaning", meaning_of(status)},
                         {"message", message},
                         {"kind", kind_word(port.facts.kind)},
                         {"device", document_name(port.facts.device)},
                         {"findings", std::move(findings)}});
    }
    std::string summary;
    if (examined.empty())
        summary = "no port to examine: the system has no serial port";
    else if (unusable == 0)
        summary = examined.size() == 1 ? "the port is usable"
                                       : "all " + count_of(examined.size(), "port") + " are usable";
    else
        summary = std::to_string(unusable) + " of " + count_of(examined.size(), "port") +
                  " cannot be used";
    result.lines.push_back(summary);
    result.status = examined.empty() || unusable > 0 ? exit_port_unavailable : exit_success;
    result.message = summary;
    result.ports = std::move(ports);
    return result;
}

} // namespace pds::cli
