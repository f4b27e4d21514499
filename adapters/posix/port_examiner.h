// The facts about serial ports as Linux shows them, read through the roots of /dev, /sys, /proc
// and the user and group databases, so that a test can build each situation in a tree of its
// own; only a program's main names the real ones.
#pragma once

#include "adapters/posix/port_holders.h"
#include "services/port_facts.h"

#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace pds {

struct SystemRoots {
    std::filesystem::path dev = "/dev";
    std::filesystem::path sys = "/sys";
    std::filesystem::path proc = "/proc";
    std::filesystem::path passwd = "/etc/passwd";
    std::filesystem::path group = "/etc/group";
    // The first of these that exists names USB vendors and products.
    std::vector<std::filesystem::path> usb_ids = {"/usr/share/misc/usb.ids",
                                                  "/usr/share/hwdata/usb.ids"};
    // Who asks: the process's user and groups.
    uid_t uid = 0;
    gid_t gid = 0;
    std::vector<gid_t> groups;
    pid_t self = 0;
    // Whether the devices are the system's own, so the kernel can be asked whether this
    // process may open one (it knows of access lists the mode bits do not show).
    bool live = false;
};

// The system's roots under `top` ("/" for the system itself), for this process.
SystemRoots system_roots(const std::filesystem::path& top);

class PosixPortExaminer : public PortExaminer {
public:
    explicit PosixPortExaminer(SystemRoots roots);
    // `port` as given: "/dev/ttyUSB0", or a link to it such as a /dev/serial/by-id name.
    PortFacts examine(const std::string& port) override;
    // The serial ports that exist: USB adapters, built-in ports with a UART behind them and
    // the like, as /dev names, sorted.
    std::vector<std::string> serial_ports() override;

private:
    const std::string& usb_ids_text();

    SystemRoots roots;
    std::optional<std::string> usb_ids;     // read once, when first needed
    std::optional<PortHolderIndex> holders; // the same
};

} // namespace pds
