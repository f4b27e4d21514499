#include "commands/port_checkup.h"

#include "diagnosis/port_findings.h"

#include <optional>

namespace pds {

namespace {

std::optional<Finding> worth_saying(PortExaminer& examiner, const std::string& device) {
    if (device.empty())
        return std::nullopt;
    // Only a problem: advice such as a fixed name would hide the reason the port failed.
    auto finding = main_finding(port_findings(examiner.examine(device)));
    if (!finding || finding->severity != Finding::Severity::Problem)
        return std::nullopt;
    return finding;
}

} // namespace

std::string checkup_lines(PortExaminer& examiner, const std::string& device) {
    const auto finding = worth_saying(examiner, device);
    if (!finding)
        return {};
    std::string text = "Check: " + finding->text + ".";
    if (std::string fix = fix_line(*finding); !fix.empty()) {
        fix.front() = 'F';
        text += "\n" + fix;
    }
    return text;
}

std::string with_checkup(const std::string& message, PortExaminer& examiner,
                         const std::string& device) {
    const std::string lines = checkup_lines(examiner, device);
    return lines.empty() ? message : message + "\n\n" + lines;
}

std::string checkup_line(PortExaminer& examiner, const std::string& device) {
    const auto finding = worth_saying(examiner, device);
    if (!finding)
        return {};
    const std::string fix = fix_line(*finding);
    return finding->text + (fix.empty() ? "" : "; " + fix);
}

} // namespace pds
