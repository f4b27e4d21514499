#include "adapters/posix/port_examiner.h"

#include "adapters/posix/port_holders.h"
#include "usb/serial_chips.h"
#include "usb/usb_ids.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace pds {
namespace {

namespace fs = std::filesystem;

std::string first_line(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

std::optional<std::uint16_t> hex_id(const fs::path& file) {
    const std::string text = first_line(file);
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc{} || text.empty() || value > 0xffff)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

bool present(const fs::path& path) {
    std::error_code error;
    return fs::exists(path, error);
}

// The fields of the line of a colon-separated database (passwd, group) whose field `key_at`
// is `key`.
std::optional<std::vector<std::string>> database_entry(const fs::path& file, std::size_t key_at,
                                                       const std::string& key) {
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::stringstream split(line);
        for (std::string field; std::getline(split, field, ':');)
            fields.push_back(field);
        if (fields.size() > key_at && fields[key_at] == key)
            return fields;
    }
    return std::nullopt;
}

// A path under the system's /dev, in the tree `dev_root` stands for.
fs::path in_dev(const fs::path& dev_root, const std::string& path) {
    if (path.rfind("/dev/", 0) == 0)
        return dev_root / path.substr(5);
    return path;
}

// The device a name leads to once every link is followed, links that name /dev/... read in
// the tree.
fs::path followed(const fs::path& dev_root, fs::path path) {
    for (int i = 0; i < 16; ++i) {
        std::error_code error;
        if (!fs::is_symlink(path, error))
            break;
        const fs::path target = fs::read_symlink(path, error);
        if (error)
            break;
        path = target.is_absolute() ? in_dev(dev_root, target.string())
                                    : (path.parent_path() / target).lexically_normal();
    }
    return path;
}

// The path as the system names it: /dev/... for one in the tree.
std::string system_name(const fs::path& dev_root, const fs::path& path) {
    const fs::path inside = path.lexically_relative(dev_root);
    if (!inside.empty() && *inside.begin() != "..")
        return "/dev/" + inside.string();
    return path.string();
}

// The USB device above a device of the tty class: the nearest folder with a vendor id.
std::optional<fs::path> usb_device_above(const fs::path& sys_root, const fs::path& device) {
    std::error_code error;
    fs::path folder = fs::canonical(device, error);
    if (error)
        return std::nullopt;
    const fs::path top = fs::weakly_canonical(sys_root, error);
    for (; folder.has_relative_path() && folder != top; folder = folder.parent_path())
        if (present(folder / "idVendor") && present(folder / "idProduct"))
            return folder;
    return std::nullopt;
}

// A USB device's interfaces ("1-1:1.0") with a driver bound.
bool has_bound_interface(const fs::path& usb_device) {
    std::error_code error;
    const std::string prefix = usb_device.filename().string() + ":";
    for (fs::directory_iterator it(usb_device, error), end; !error && it != end;
         it.increment(error))
        if (it->path().filename().string().rfind(prefix, 0) == 0 &&
            fs::is_symlink(it->path() / "driver"))
            return true;
    return false;
}

bool may_use(const struct stat& node, const SystemRoots& roots) {
    if (roots.uid == 0)
        return true;
    unsigned bits = node.st_mode & 07;
    if (node.st_uid == roots.uid)
        bits = (node.st_mode >> 6) & 07;
    else if (node.st_gid == roots.gid ||
             std::find(roots.groups.begin(), roots.groups.end(), node.st_gid) != roots.groups.end())
        bits = (node.st_mode >> 3) & 07;
    return (bits & 06) == 06;
}

} // namespace

SystemRoots system_roots(const fs::path& top) {
    SystemRoots roots;
    roots.dev = top / "dev";
    roots.sys = top / "sys";
    roots.proc = top / "proc";
    roots.passwd = top / "etc/passwd";
    roots.group = top / "etc/group";
    roots.usb_ids = {top / "usr/share/misc/usb.ids", top / "usr/share/hwdata/usb.ids"};
    roots.uid = ::getuid();
    roots.gid = ::getgid();
    const int count = ::getgroups(0, nullptr);
    roots.groups.resize(static_cast<std::size_t>(std::max(count, 0)));
    if (count > 0)
        roots.groups.resize(static_cast<std::size_t>(::getgroups(count, roots.groups.data())));
    roots.self = ::getpid();
    roots.live = top == "/";
    return roots;
}

PosixPortExaminer::PosixPortExaminer(SystemRoots roots) : roots(std::move(roots)) {}

const std::string& PosixPortExaminer::usb_ids_text() {
    if (!usb_ids) {
        usb_ids.emplace();
        for (const auto& file : roots.usb_ids) {
            std::ifstream in(file, std::ios::binary);
            if (!in)
                continue;
            std::stringstream text;
            text << in.rdbuf();
            usb_ids = text.str();
            break;
        }
    }
    return *usb_ids;
}

std::vector<std::string> PosixPortExaminer::serial_ports() {
    std::vector<std::string> ports;
    std::error_code error;
    for (fs::directory_iterator it(roots.sys / "class/tty", error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!present(it->path() / "device"))
            continue;
        // The kernel makes ttyS0 to ttyS31 whether or not a UART is there; type 0 says none.
        if (name.rfind("ttyS", 0) == 0 && first_line(it->path() / "type") == "0")
            continue;
        ports.push_back("/dev/" + name);
    }
    std::sort(ports.begin(), ports.end());
    return ports;
}

PortFacts PosixPortExaminer::examine(const std::string& port) {
    PortFacts facts;
    facts.port = port;
    const fs::path node_path = followed(roots.dev, in_dev(roots.dev, port));
    facts.device = system_name(roots.dev, node_path);
    struct stat node {};
    if (::stat(node_path.c_str(), &node) != 0) {
        facts.kind = PortFacts::Kind::Missing;
        facts.existing_ports = serial_ports();
        std::error_code error;
        for (fs::directory_iterator it(roots.sys / "bus/usb/devices", error), end;
             !error && it != end; it.increment(error)) {
            const auto vendor = hex_id(it->path() / "idVendor");
            const auto product = hex_id(it->path() / "idProduct");
            // Only an adapter whose maker's driver can be told of it is worth a word.
            if (!vendor || !product || !known_serial_chip_maker(*vendor) ||
                has_bound_interface(it->path()))
                continue;
            UsbAdapterFacts adapter;
            adapter.vendor = *vendor;
            adapter.product = *product;
            adapter.bus_name = it->path().filename().string();
            facts.unbound_adapters.push_back(adapter);
        }
        std::sort(facts.unbound_adapters.begin(), facts.unbound_adapters.end(),
                  [](const UsbAdapterFacts& a, const UsbAdapterFacts& b) {
                      return a.bus_name < b.bus_name;
                  });
        return facts;
    }

    const std::string name = node_path.filename().string();
    const fs::path tty = roots.sys / "class/tty" / name;
    if (node_path.parent_path().filename() == "pts")
        facts.kind = PortFacts::Kind::PseudoTerminal;
    else if (const auto usb = usb_device_above(roots.sys, tty / "device")) {
        facts.kind = PortFacts::Kind::UsbAdapter;
        UsbAdapterFacts adapter;
        adapter.vendor = hex_id(*usb / "idVendor").value_or(0);
        adapter.product = hex_id(*usb / "idProduct").value_or(0);
        adapter.serial = first_line(*usb / "serial");
        adapter.bus_name = usb->filename().string();
        std::error_code error;
        adapter.driver = fs::read_symlink(tty / "device/driver", error).filename().string();
        const UsbIdNames names = usb_id_names(usb_ids_text(), adapter.vendor, adapter.product);
        adapter.vendor_name = names.vendor;
        adapter.product_name = names.product;
        for (fs::directory_iterator it(roots.dev / "serial/by-id", error), end; !error && it != end;
             it.increment(error))
            if (followed(roots.dev, it->path()).filename() == name)
                adapter.by_id = "/dev/serial/by-id/" + it->path().filename().string();
        facts.usb = adapter;
    } else if (present(tty / "device"))
        facts.kind = PortFacts::Kind::BuiltInUart;
    else
        facts.kind = PortFacts::Kind::Other;

    facts.mode = node.st_mode & 0777;
    const auto owner = database_entry(roots.passwd, 2, std::to_string(node.st_uid));
    facts.owner = owner ? owner->front() : std::to_string(node.st_uid);
    const auto group = database_entry(roots.group, 2, std::to_string(node.st_gid));
    facts.group = group ? group->front() : std::to_string(node.st_gid);
    const auto user = database_entry(roots.passwd, 2, std::to_string(roots.uid));
    facts.user = user ? user->front() : "user " + std::to_string(roots.uid);
    if (user && user->size() > 3 && user->at(3) == std::to_string(node.st_gid))
        facts.user_in_group = true;
    if (group && group->size() > 3 && user) {
        std::stringstream members(group->at(3));
        for (std::string member; std::getline(members, member, ',');)
            facts.user_in_group = facts.user_in_group || member == user->front();
    }
    facts.login_has_group =
        node.st_gid == roots.gid ||
        std::find(roots.groups.begin(), roots.groups.end(), node.st_gid) != roots.groups.end();
    facts.usable_by_process =
        roots.live ? ::access(node_path.c_str(), R_OK | W_OK) == 0 : may_use(node, roots);
    if (!holders)
        holders.emplace(roots.proc, roots.self);
    for (const auto& holder : holders->holders_of(node_path))
        facts.holders.push_back({holder.pid, holder.program});
    return facts;
}

} // namespace pds
