// Each situation a port can be in, built as a tree of /dev, /sys, /proc and /etc of its own,
// read by the POSIX examiner and worked out into findings and fixes.
#include "adapters/posix/port_examiner.h"
#include "diagnosis/port_findings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace pds {
namespace {

namespace fs = std::filesystem;

// A system of its own under a temporary folder: the device files are plain files standing in
// for the nodes, owned and moded as a case sets them.
struct SystemTree {
    fs::path top;
    SystemRoots roots;

    SystemTree() {
        char pattern[] = "/tmp/pds-system-XXXXXX";
        top = ::mkdtemp(pattern);
        roots = system_roots(top);
        roots.live = false;
        roots.self = 1;
        // alice (uid 1000) asks, in her own group only unless a case says otherwise.
        roots.uid = 1000;
        roots.gid = 1000;
        roots.groups = {1000};
        write("etc/passwd", "root:x:0:0::/root:/bin/sh\nalice:x:1000:1000::/home/alice:/bin/sh\n");
        write("etc/group", "root:x:0:\ndialout:x:20:\nalice:x:1000:\n");
    }
    ~SystemTree() { fs::remove_all(top); }
    SystemTree(const SystemTree&) = delete;
    SystemTree& operator=(const SystemTree&) = delete;

    void write(const fs::path& file, const std::string& text) const {
        fs::create_directories((top / file).parent_path());
        std::ofstream(top / file) << text;
    }
    void link(const fs::path& at, const fs::path& target) const {
        fs::create_directories((top / at).parent_path());
        fs::create_symlink(target, top / at);
    }
    // A device node stand-in, owned by root and `gid`, with `mode`.
    void device(const std::string& name, gid_t gid = 20, unsigned mode = 0660) const {
        write("dev/" + name, "");
        const fs::path node = top / "dev" / name;
        if (::chown(node.c_str(), 0, gid) != 0 || ::chmod(node.c_str(), mode) != 0)
            ADD_FAILURE() << "cannot set up " << node << ": run the tests as root";
    }
    // A USB device at bus position `bus` with the interface 1.0 and, where given, a driver
    // bound to it and a tty below it.
    void usb_device(const std::string& bus, const std::string& vendor, const std::string& product,
                    const std::string& driver, const std::string& tty,
                    const std::string& serial = {}) const {
        const fs::path usb = "sys/devices/pci0000:00/usb1/" + bus;
        write(usb / "idVendor", vendor + "\n");
        write(usb / "idProduct", product + "\n");
        if (!serial.empty())
            write(usb / "serial", serial + "\n");
        const fs::path interface = usb / (bus + ":1.0");
        fs::create_directories(top / interface);
        link("sys/bus/usb/devices/" + bus, "../../../devices/pci0000:00/usb1/" + bus);
        if (driver.empty())
            return;
        write("sys/bus/usb-serial/drivers/" + driver + "/bind", "");
        link(interface / "driver", "../../../../../bus/usb-serial/drivers/" + driver);
        if (tty.empty())
            return;
        const fs::path port = interface / tty;
        fs::create_directories(top / port);
        link(port / "driver", "../../../../../../bus/usb-serial/drivers/" + driver);
        link("sys/class/tty/" + tty + "/device",
             "../../../" + port.lexically_relative("sys").string());
        device(tty);
    }
    // A process that holds `file` open.
    void holder(int pid, const std::string& program, const std::string& file) const {
        write("proc/" + std::to_string(pid) + "/comm", program + "\n");
        link("proc/" + std::to_string(pid) + "/fd/7", top / "dev" / file);
    }
};

struct Situation {
    const char* name;
    std::function<void(SystemTree&)> build;
    const char* port;
    // The finding that must be there, its severity and words, and the first fix command.
    const char* topic;
    Finding::Severity severity;
    const char* words;
    const char* fix; // empty: no command
    bool usable;
};

using Severity = Finding::Severity;

const Situation situations[] = {
    {"in the group, and this login has it",
     [](SystemTree& tree) {
         tree.device("ttyS0");
         tree.link("sys/class/tty/ttyS0/device", "../../../devices/platform/serial8250");
         tree.write("sys/devices/platform/serial8250/.keep", "");
         tree.write("etc/group", "dialout:x:20:alice\n");
         tree.roots.groups = {1000, 20};
     },
     "/dev/ttyS0", "access", Severity::Fine, "group dialout, mode 660: alice may use it", "", true},
    {"not in the group", [](SystemTree& tree) { tree.device("ttyS0"); }, "/dev/ttyS0", "access",
     Severity::Problem, "alice is not in the group dialout", "sudo usermod -aG dialout \"$USER\"",
     false},
    {"the group named as the system names it",
     [](SystemTree& tree) {
         tree.write("etc/group", "uucp:x:14:\n");
         tree.device("ttyS0", 14);
     },
     "/dev/ttyS0", "access", Severity::Problem, "not in the group uucp",
     "sudo usermod -aG uucp \"$USER\"", false},
    {"in the group, but not in this login",
     [](SystemTree& tree) {
         tree.device("ttyS0");
         tree.write("etc/group", "dialout:x:20:bob,alice\n");
     },
     "/dev/ttyS0", "access", Severity::Problem, "this login started before it joined",
     "newgrp dialout", false},
    {"a mode that shuts the group out",
     [](SystemTree& tree) {
         tree.device("ttyS0", 20, 0600);
         tree.roots.groups = {1000, 20};
     },
     "/dev/ttyS0", "access", Severity::Problem, "only its owner may use it",
     "sudo chmod g+rw /dev/ttyS0", false},
    {"held by ModemManager",
     [](SystemTree& tree) {
         tree.usb_device("1-1", "0403", "6001", "ftdi_sio", "ttyUSB0");
         tree.roots.uid = 0;
         tree.holder(812, "ModemManager", "ttyUSB0");
     },
     "/dev/ttyUSB0", "holder", Severity::Problem, "ModemManager (process 812) holds it open",
     "sudo systemctl stop ModemManager", false},
    {"held by brltty",
     [](SystemTree& tree) {
         tree.usb_device("1-1", "1a86", "7523", "ch341", "ttyUSB0");
         tree.roots.uid = 0;
         tree.holder(640, "brltty", "ttyUSB0");
     },
     "/dev/ttyUSB0", "holder", Severity::Problem, "brltty (process 640) holds it open",
     "sudo apt remove brltty", false},
    {"held by gpsd",
     [](SystemTree& tree) {
         tree.usb_device("1-1", "067b", "2303", "pl2303", "ttyUSB0");
         tree.roots.uid = 0;
         tree.holder(77, "gpsd", "ttyUSB0");
     },
     "/dev/ttyUSB0", "holder", Severity::Problem, "gpsd (process 77) holds it open",
     "sudo systemctl stop gpsd.socket gpsd", false},
    {"a known chip, its driver and its by-id name",
     [](SystemTree& tree) {
         tree.usb_device("1-1.2", "10c4", "ea60", "cp210x", "ttyUSB1", "0001");
         tree.link("dev/serial/by-id/usb-Silicon_Labs_CP2102-if00-port0", "../../ttyUSB1");
         tree.roots.uid = 0;
     },
     "/dev/serial/by-id/usb-Silicon_Labs_CP2102-if00-port0", "usb", Severity::Fine,
     "USB 10c4:ea60, Silicon Labs CP210x, driver cp210x", "", true},
    {"the udev rule for a fixed name, with the serial number",
     [](SystemTree& tree) {
         tree.usb_device("1-1", "0403", "6001", "ftdi_sio", "ttyUSB0", "A50285BI");
         tree.roots.uid = 0;
     },
     "/dev/ttyUSB0", "name", Severity::Advice, "fixed name /dev/pole-display",
     "echo 'SUBSYSTEM==\"tty\", ATTRS{idVendor}==\"0403\", ATTRS{idProduct}==\"6001\", "
     "ATTRS{serial}==\"A50285BI\", SYMLINK+=\"pole-display\"' | sudo tee "
     "/etc/udev/rules.d/99-pole-display.rules",
     true},
    {"no by-id name",
     [](SystemTree& tree) {
         tree.usb_device("1-1", "0403", "6001", "ftdi_sio", "ttyUSB0");
         tree.roots.uid = 0;
     },
     "/dev/ttyUSB0", "name", Severity::Advice, "no /dev/serial/by-id name", "", true},
    {"an unknown vendor, named from usb.ids",
     [](SystemTree& tree) {
         tree.usb_device("1-1", "abcd", "0102", "generic", "ttyUSB0");
         tree.write("usr/share/hwdata/usb.ids",
                    "# comment\nabcc  Other\n\t0102  Not this\nabcd  Acme Serial Works\n"
                    "\t0101  Older cable\n\t0102  Pole cable\n\t\t00  interface\n");
         tree.roots.uid = 0;
     },
     "/dev/ttyUSB0", "usb", Severity::Advice,
     "USB abcd:0102, Acme Serial Works Pole cable, driver generic; not one of the common", "",
     true},
    {"a known chip with no driver",
     [](SystemTree& tree) { tree.usb_device("1-3", "0403", "6001", "", ""); }, "/dev/ttyUSB0",
     "driver", Severity::Problem,
     "the adapter at USB 1-3 (USB 0403:6001, FTDI FT232R) has no driver bound",
     "sudo modprobe ftdi_sio", false},
    {"a known maker under an unknown product id, with no driver",
     [](SystemTree& tree) { tree.usb_device("2-1", "0403", "7777", "", ""); }, "/dev/ttyUSB0",
     "driver", Severity::Problem, "USB 0403:7777, FTDI, a product id our table does not know",
     "sudo modprobe ftdi_sio", false},
    {"a missing port, naming those that exist",
     [](SystemTree& tree) {
         tree.usb_device("1-1", "0403", "6001", "ftdi_sio", "ttyUSB0");
         tree.write("sys/devices/platform/serial8250/.keep", "");
         tree.device("ttyS1");
         tree.link("sys/class/tty/ttyS1/device", "../../../devices/platform/serial8250");
         tree.write("sys/class/tty/ttyS1/type", "4\n");
         tree.device("ttyS2");
         tree.link("sys/class/tty/ttyS2/device", "../../../devices/platform/serial8250");
         tree.write("sys/class/tty/ttyS2/type", "0\n"); // no UART behind it
     },
     "/dev/ttyUSB3", "device", Severity::Problem,
     "does not exist; the serial ports that do: /dev/ttyS1, /dev/ttyUSB0", "", false},
};

const Finding* finding_on(const std::vector<Finding>& findings, const Situation& situation) {
    for (const auto& finding : findings)
        if (finding.topic == situation.topic && finding.severity == situation.severity &&
            finding.text.find(situation.words) != std::string::npos)
            return &finding;
    return nullptr;
}

std::string listed(const std::vector<Finding>& findings) {
    std::string text;
    for (const auto& finding : findings)
        text += "\n  " + finding.topic + " " + severity_word(finding.severity) + ": " +
                finding.text + (finding.fix.empty() ? "" : " | " + finding.fix.front());
    return text;
}

TEST(PortExaminerTest, EachSituationHasItsFindingAndFix) {
    for (const Situation& situation : situations) {
        SCOPED_TRACE(situation.name);
        SystemTree tree;
        situation.build(tree);
        PosixPortExaminer examiner(tree.roots);
        const auto findings = port_findings(examiner.examine(situation.port));
        const Finding* finding = finding_on(findings, situation);
        ASSERT_TRUE(finding) << "found instead:" << listed(findings);
        if (*situation.fix) {
            ASSERT_FALSE(finding->fix.empty());
            EXPECT_EQ(finding->fix.front(), situation.fix);
        }
        EXPECT_EQ(port_usable(findings), situation.usable) << listed(findings);
    }
}

TEST(PortExaminerTest, AnUnknownProductOfAKnownMakerIsGivenToItsDriverByItsIds) {
    SystemTree tree;
    tree.usb_device("2-1", "0403", "7777", "", "");
    const auto findings = port_findings(PosixPortExaminer(tree.roots).examine("/dev/ttyUSB0"));
    ASSERT_EQ(findings.size(), 2u) << listed(findings);
    EXPECT_EQ(findings[1].fix,
              (std::vector<std::string>{"sudo modprobe ftdi_sio",
                                        "echo 0403 7777 | sudo tee "
                                        "/sys/bus/usb-serial/drivers/ftdi_sio/new_id"}));
}

TEST(PortExaminerTest, AnAdapterWithABoundDriverOrOfAnUnknownMakerIsNoMissingDriver) {
    SystemTree tree;
    tree.usb_device("1-1", "0403", "6001", "ftdi_sio", "ttyUSB0");
    tree.usb_device("1-2", "046d", "c52b", "", ""); // a receiver for a mouse, say
    const auto facts = PosixPortExaminer(tree.roots).examine("/dev/ttyUSB5");
    EXPECT_EQ(facts.kind, PortFacts::Kind::Missing);
    EXPECT_TRUE(facts.unbound_adapters.empty());
    EXPECT_EQ(facts.existing_ports, std::vector<std::string>{"/dev/ttyUSB0"});
}

TEST(PortExaminerTest, LinksAreFollowedInsideTheTreeToTheDevice) {
    SystemTree tree;
    tree.usb_device("1-1", "0403", "6001", "ftdi_sio", "ttyUSB0");
    // As a udev rule makes it, and an absolute link that names the system's /dev.
    tree.link("dev/pole-display", "ttyUSB0");
    tree.link("dev/display-absolute", "/dev/pole-display");
    tree.roots.uid = 0;
    for (const char* port : {"/dev/pole-display", "/dev/display-absolute"}) {
        SCOPED_TRACE(port);
        const auto facts = PosixPortExaminer(tree.roots).examine(port);
        EXPECT_EQ(facts.device, "/dev/ttyUSB0");
        EXPECT_EQ(facts.kind, PortFacts::Kind::UsbAdapter);
        ASSERT_TRUE(facts.usb);
        EXPECT_EQ(facts.usb->driver, "ftdi_sio");
    }
}

TEST(PortExaminerTest, EveryHolderIsNamedButNotThisProcess) {
    SystemTree tree;
    tree.usb_device("1-1", "0403", "6001", "ftdi_sio", "ttyUSB0");
    tree.roots.uid = 0;
    tree.holder(812, "ModemManager", "ttyUSB0");
    tree.holder(900, "minicom", "ttyUSB0");
    tree.holder(1, "vfdctl", "ttyUSB0"); // the examiner's own process
    auto holders = PosixPortExaminer(tree.roots).examine("/dev/ttyUSB0").holders;
    std::sort(holders.begin(), holders.end(),
              [](const HolderFacts& a, const HolderFacts& b) { return a.pid < b.pid; });
    ASSERT_EQ(holders.size(), 2u);
    EXPECT_EQ(holders[0].program, "ModemManager");
    EXPECT_EQ(holders[1].pid, 900);
}

} // namespace
} // namespace pds
