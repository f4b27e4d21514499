#include "diagnosis/port_findings.h"

#include "usb/serial_chips.h"
#include "usb/udev_rule.h"

#include <algorithm>
#include <cctype>

namespace pds {
namespace {

using Severity = Finding::Severity;
using Kind = PortFacts::Kind;

std::string joined(const std::vector<std::string>& words) {
    std::string text;
    for (const auto& word : words)
        text += (text.empty() ? "" : ", ") + word;
    return text;
}

std::string octal_mode(unsigned mode) {
    std::string text;
    for (int shift = 6; shift >= 0; shift -= 3)
        text += static_cast<char>('0' + ((mode >> shift) & 7));
    return text;
}

bool is_windows_port(const PortFacts& facts) {
    return facts.opening != PortFacts::Opening::NotTried;
}

// "COM10": the number after COM, 0 for any other name.
int com_number(const std::string& port) {
    std::string upper = port;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (upper.rfind("\\\\.\\", 0) == 0)
        upper.erase(0, 4);
    if (upper.rfind("COM", 0) != 0 || upper.size() == 3 || upper.size() > 6)
        return 0;
    int number = 0;
    for (std::size_t i = 3; i < upper.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(upper[i])))
            return 0;
        number = number * 10 + (upper[i] - '0');
    }
    return number;
}

std::string adapter_words(const UsbAdapterFacts& usb) {
    std::string text = "USB " + usb_id_hex(usb.vendor) + ":" + usb_id_hex(usb.product);
    if (const auto chip = known_serial_chip(usb.vendor, usb.product))
        return text + ", " + std::string(chip->maker) + " " + std::string(chip->name);
    if (const auto maker = known_serial_chip_maker(usb.vendor))
        return text + ", " + std::string(*maker) + ", a product id our table does not know";
    if (!usb.vendor_name.empty())
        text += ", " + usb.vendor_name + (usb.product_name.empty() ? "" : " " + usb.product_name);
    return text;
}

std::string usb_serial_new_id(std::string_view driver) {
    // cdc_acm is a USB driver of its own; the others are usb-serial drivers.
    if (driver == "cdc_acm")
        return "/sys/bus/usb/drivers/cdc_acm/new_id";
    return "/sys/bus/usb-serial/drivers/" + std::string(driver) + "/new_id";
}

// An adapter on the bus that no driver serves, so it has no port.
Finding unbound_finding(const UsbAdapterFacts& usb) {
    Finding finding{Severity::Problem,
                    "driver",
                    "the adapter at USB " + usb.bus_name + " (" + adapter_words(usb) +
                        ") has no driver bound, so it has no port",
                    {},
                    {}};
    if (const auto chip = known_serial_chip(usb.vendor, usb.product)) {
        finding.fix = {"sudo modprobe " + std::string(chip->linux_driver)};
    } else if (const auto driver = known_serial_chip_maker_driver(usb.vendor)) {
        finding.fix = {"sudo modprobe " + std::string(*driver),
                       "echo " + usb_id_hex(usb.vendor) + " " + usb_id_hex(usb.product) +
                           " | sudo tee " + usb_serial_new_id(*driver)};
        finding.after_fix = "then the port appears; the id is forgotten at the next start";
    }
    return finding;
}

Finding device_finding(const PortFacts& facts) {
    switch (facts.kind) {
    case Kind::Missing: {
        const std::string what = is_windows_port(facts) ? "COM ports" : "serial ports";
        return {Severity::Problem,
                "device",
                "does not exist; " +
                    (facts.existing_ports.empty()
                         ? "there is no other " + what.substr(0, what.size() - 1)
                         : "the " + what + " that do: " + joined(facts.existing_ports)),
                {},
                {}};
    }
    case Kind::UsbAdapter:
        return {Severity::Fine, "device", "a USB serial adapter (" + facts.device + ")", {}, {}};
    case Kind::BuiltInUart:
        return {Severity::Fine, "device", "a built-in serial port (" + facts.device + ")", {}, {}};
    case Kind::PseudoTerminal:
        return {Severity::Fine, "device", "a pseudo-terminal (" + facts.device + ")", {}, {}};
    case Kind::Other:
        break;
    }
    return {Severity::Fine, "device", "a serial device (" + facts.device + ")", {}, {}};
}

Finding access_finding(const PortFacts& facts) {
    const std::string owned =
        "owner " + facts.owner + ", group " + facts.group + ", mode " + octal_mode(facts.mode);
    if (facts.usable_by_process)
        return {Severity::Fine, "access", owned + ": " + facts.user + " may use it", {}, {}};
    const bool group_may = (facts.mode & 060) == 060;
    if (!group_may)
        return {Severity::Problem,
                "access",
                owned + ": only its owner may use it",
                {"sudo chmod g+rw " + facts.device},
                "and, to keep it so after the adapter is plugged in again, a udev rule with "
                "MODE=\"0660\""};
    if (!facts.user_in_group)
        return {Severity::Problem,
                "access",
                owned + ": " + facts.user + " is not in the group " + facts.group,
                {"sudo usermod -aG " + facts.group + " \"$USER\""},
                "then log out and in again"};
    if (!facts.login_has_group)
        return {Severity::Problem,
                "access",
                owned + ": " + facts.user + " is in the group " + facts.group +
                    ", but this login started before it joined",
                {"newgrp " + facts.group},
                "or log out and in again instead"};
    return {Severity::Problem, "access", owned + ": this process may not use it", {}, {}};
}

Finding holder_finding(const HolderFacts& holder, const PortFacts& facts) {
    Finding finding{Severity::Problem,
                    "holder",
                    holder.program + " (process " + std::to_string(holder.pid) + ") holds it open",
                    {},
                    {}};
    if (holder.program == "ModemManager") {
        finding.fix = {"sudo systemctl stop ModemManager"};
        if (facts.usb)
            finding.fix.push_back(install_rule_command(
                modem_manager_ignore_rule(facts.usb->vendor, facts.usb->product),
                "/etc/udev/rules.d/99-pole-display-modem-manager.rules"));
        finding.after_fix = facts.usb ? "then plug the adapter in again: the rule keeps "
                                        "ModemManager away from it for good"
                                      : "it looks at serial ports again at its next start";
    } else if (holder.program == "brltty") {
        finding.fix = {"sudo apt remove brltty"};
        finding.after_fix = "or, to keep it, disable its rule: sudo ln -s /dev/null "
                            "/etc/udev/rules.d/85-brltty.rules; then plug the adapter in again";
    } else if (holder.program == "gpsd") {
        finding.fix = {"sudo systemctl stop gpsd.socket gpsd"};
        finding.after_fix = "and sudo systemctl disable gpsd.socket keeps it from coming back";
    } else {
        finding.after_fix = "close that program";
    }
    return finding;
}

void add_usb_findings(const UsbAdapterFacts& usb, std::vector<Finding>& findings) {
    const bool known_maker = known_serial_chip_maker(usb.vendor).has_value();
    findings.push_back({known_maker ? Severity::Fine : Severity::Advice,
                        "usb",
                        adapter_words(usb) + (usb.driver.empty() ? "" : ", driver " + usb.driver) +
                            (known_maker ? "" : "; not one of the common USB-serial chips"),
                        {},
                        {}});
    if (usb.by_id.empty())
        findings.push_back({Severity::Advice,
                            "name",
                            "no /dev/serial/by-id name: its name may change when it is plugged in",
                            {},
                            {}});
    else
        findings.push_back({Severity::Fine, "name", "always reachable as " + usb.by_id, {}, {}});
    findings.push_back({Severity::Advice,
                        "name",
                        "a udev rule gives it the fixed name /dev/" + std::string(fixed_port_name),
                        {install_rule_command(fixed_name_rule(usb.vendor, usb.product, usb.serial),
                                              udev_rule_file),
                         "sudo udevadm control --reload && sudo udevadm trigger"},
                        {}});
}

void add_windows_findings(const PortFacts& facts, std::vector<Finding>& findings) {
    using Opening = PortFacts::Opening;
    if (const int number = com_number(facts.port); number > 9)
        findings.push_back({Severity::Advice,
                            "name",
                            "above COM9 a program must open it as \\\\.\\COM" +
                                std::to_string(number) + "; vfdctl and the window do",
                            {},
                            {}});
    switch (facts.opening) {
    case Opening::InUse:
        findings.push_back({Severity::Problem,
                            "holder",
                            "another program has it open: Windows denies access to it",
                            {},
                            "close that program (a terminal, a modem or sync tool) and try again"});
        break;
    case Opening::Failed:
        findings.push_back(
            {Severity::Problem,
             "device",
             "it cannot be opened" + (facts.open_error.empty() ? "" : ": " + facts.open_error),
             {},
             {}});
        break;
    case Opening::Opened:
        findings.push_back({Severity::Fine, "access", "it opens", {}, {}});
        break;
    case Opening::NotTried:
        break;
    }
}

} // namespace

std::vector<Finding> port_findings(const PortFacts& facts) {
    std::vector<Finding> findings{device_finding(facts)};
    if (is_windows_port(facts)) {
        if (facts.kind != Kind::Missing)
            add_windows_findings(facts, findings);
        return findings;
    }
    if (facts.kind == Kind::Missing) {
        for (const auto& adapter : facts.unbound_adapters)
            findings.push_back(unbound_finding(adapter));
        return findings;
    }
    findings.push_back(access_finding(facts));
    for (const auto& holder : facts.holders)
        findings.push_back(holder_finding(holder, facts));
    if (facts.usb)
        add_usb_findings(*facts.usb, findings);
    return findings;
}

Finding line_finding(const LineCheck& check) {
    using Outcome = LineCheck::Outcome;
    switch (check.outcome) {
    case Outcome::Answered: {
        const std::string at = std::to_string(check.speed) + " bit/s";
        if (check.given_speed && *check.given_speed != check.speed)
            return {Severity::Advice,
                    "line",
                    "a display answers at " + at + ", not at the " +
                        std::to_string(*check.given_speed) + " bit/s asked for",
                    {},
                    "use --baud " + std::to_string(check.speed) + ", or choose " +
                        std::to_string(check.speed) + " in the window"};
        return {Severity::Fine, "line", "a display answers at " + at, {}, {}};
    }
    case Outcome::NoAnswer:
        return {Severity::Advice,
                "line",
                "no display answered at 9600 or 19200 bit/s",
                {},
                "check that the display has power and that the cable goes to it"};
    case Outcome::NeverQuiet:
        return {Severity::Problem,
                "line",
                "the line never fell quiet: something keeps sending on it",
                {},
                "stop the device or program that sends, or check that the cable goes to the "
                "display"};
    case Outcome::CannotOpen:
        return {Severity::Problem,
                "line",
                "it cannot be opened" + (check.reason.empty() ? "" : ": " + check.reason),
                {},
                {}};
    case Outcome::Lost:
        break;
    }
    return {Severity::Problem,
            "line",
            "the device went away or would not send",
            {},
            "check the adapter's plug and cable"};
}

bool port_usable(const std::vector<Finding>& findings) {
    return std::none_of(findings.begin(), findings.end(),
                        [](const Finding& f) { return f.severity == Severity::Problem; });
}

std::optional<Finding> main_finding(const std::vector<Finding>& findings) {
    for (const auto& finding : findings)
        if (finding.severity == Severity::Problem)
            return finding;
    for (const auto& finding : findings)
        if (finding.severity == Severity::Advice && !finding.fix.empty())
            return finding;
    return std::nullopt;
}

std::string fix_line(const Finding& finding) {
    std::string text;
    for (const auto& command : finding.fix)
        text += (text.empty() ? "" : " && ") + command;
    if (text.empty())
        return finding.after_fix.empty() ? std::string{} : "fix: " + finding.after_fix;
    return "fix: " + text + (finding.after_fix.empty() ? "" : " (" + finding.after_fix + ")");
}

std::string severity_word(Finding::Severity severity) {
    switch (severity) {
    case Severity::Fine:
        return "ok";
    case Severity::Advice:
        return "advice";
    case Severity::Problem:
        break;
    }
    return "problem";
}

} // namespace pds
