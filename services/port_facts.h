// What the system shows about one serial port, gathered by an adapter so that the core can say
// what is wrong with it and how to fix it; and the service that gathers it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pds {

// A USB device that is, or could be, a serial adapter.
struct UsbAdapterFacts {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    std::string vendor_name;  // from the system's usb.ids, where it has one
    std::string product_name; // the same
    std::string serial;       // the serial number the device reports, empty when none
    std::string driver;       // the kernel driver bound to it, empty when none
    std::string bus_name;     // as the kernel names it on the bus, e.g. "1-1.2"
    std::string by_id;        // its /dev/serial/by-id name, empty when none
};

struct HolderFacts {
    long pid = 0;
    std::string program; // its command name, e.g. ModemManager
};

struct PortFacts {
    enum class Kind { Missing, UsbAdapter, BuiltInUart, PseudoTerminal, Other };
    // How opening the port went, where the system tells it only by trying (Windows, which
    // answers a second program's open of a COM port with "access denied").
    enum class Opening { NotTried, Opened, InUse, Failed };

    std::string port;   // as given
    std::string device; // the device node it stands for, links followed
    Kind kind = Kind::Missing;
    std::vector<std::string> existing_ports; // Missing: the ports that do exist

    // Who may use it (POSIX); empty names where the system has none.
    std::string owner;
    std::string group;
    unsigned mode = 0;             // the permission bits
    bool usable_by_process = true; // this process may read and write it
    std::string user;
    bool user_in_group = false;   // the group database makes the user a member of `group`
    bool login_has_group = false; // this process already has `group`

    std::vector<HolderFacts> holders;
    std::optional<UsbAdapterFacts> usb;
    // USB adapters of a known chip maker with no driver bound, so they have no port at all.
    std::vector<UsbAdapterFacts> unbound_adapters;

    Opening opening = Opening::NotTried;
    std::string open_error; // the system's words when opening failed
};

// Reads the system's facts about ports; an adapter over the real system or a test's tree.
class PortExaminer {
public:
    virtual ~PortExaminer() = default;
    virtual PortFacts examine(const std::string& port) = 0;
    // The serial ports that exist, by the names examine() takes, sorted.
    virtual std::vector<std::string> serial_ports() = 0;
};

// An examiner that learns nothing, for whoever wires the services without one: its facts
// give no finding worth showing.
PortExaminer& no_port_examiner();

} // namespace pds
