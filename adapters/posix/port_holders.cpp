#include "adapters/posix/port_holders.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <system_error>
#include <vector>

namespace pds {

namespace {

namespace fs = std::filesystem;

// Every entry of `folder`, none when it cannot be read: a process may end while it is looked
// at, and another user's are closed to all but root.
template <typename Visit> bool any_entry(const fs::path& folder, Visit&& visit) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (visit(it->path()))
            return true;
    return false;
}

std::optional<pid_t> pid_of(const fs::path& entry) {
    const std::string name = entry.filename().string();
    if (name.empty() || name.size() > 9)
        return std::nullopt;
    for (const char c : name)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
    return static_cast<pid_t>(std::stol(name));
}

std::string program_of(const fs::path& process) {
    std::ifstream comm(process / "comm");
    std::string name;
    std::getline(comm, name);
    return name.empty() ? "a program" : name;
}

// Unix 98 pseudo-terminal slaves: majors 136 to 143, 256 minors each.
constexpr unsigned first_pts_major = 136;
constexpr unsigned last_pts_major = 143;

std::optional<unsigned> pts_index(dev_t device) {
    const unsigned device_major = major(device);
    if (device_major < first_pts_major || device_major > last_pts_major)
        return std::nullopt;
    return (device_major - first_pts_major) * 256 + minor(device);
}

// The pseudo-terminal a /dev/ptmx descriptor opened, as its fdinfo names it.
std::optional<unsigned> tty_index_of(const fs::path& process, const fs::path& fd) {
    std::ifstream info(process / "fdinfo" / fd.filename());
    const std::string key = "tty-index:";
    for (std::string line; std::getline(info, line);) {
        if (line.rfind(key, 0) != 0)
            continue;
        const auto digits = line.find_first_not_of(" \t", key.size());
        unsigned value = 0;
        const char* end = line.data() + line.size();
        if (digits != std::string::npos &&
            std::from_chars(line.data() + digits, end, value).ec == std::errc{})
            return value;
    }
    return std::nullopt;
}

// The character devices a process has open, and the pseudo-terminals whose master side it
// holds through /dev/ptmx.
struct OpenDevices {
    pid_t pid;
    fs::path process;
    std::vector<dev_t> devices;
    std::vector<unsigned> masters;

    bool has(dev_t device) const {
        return std::find(devices.begin(), devices.end(), device) != devices.end();
    }
    bool holds_master_of(unsigned index) const {
        return std::find(masters.begin(), masters.end(), index) != masters.end();
    }
};

constexpr unsigned ptmx_major = 5;
constexpr unsigned ptmx_minor = 2;

OpenDevices open_devices(const fs::path& process, pid_t pid) {
    OpenDevices open{pid, process, {}, {}};
    any_entry(process / "fd", [&](const fs::path& fd) {
        struct stat node {};
        if (::stat(fd.c_str(), &node) != 0 || !S_ISCHR(node.st_mode))
            return false;
        if (major(node.st_rdev) == ptmx_major && minor(node.st_rdev) == ptmx_minor) {
            if (const auto index = tty_index_of(process, fd))
                open.masters.push_back(*index);
        } else if (!open.has(node.st_rdev)) {
            open.devices.push_back(node.st_rdev);
        }
        return false;
    });
    return open;
}

// What every process under `proc_root` but `self` has open.
std::vector<OpenDevices> look_at(const fs::path& proc_root, pid_t self) {
    std::vector<OpenDevices> processes;
    if (proc_root.empty())
        return processes;
    any_entry(proc_root, [&](const fs::path& process) {
        if (const auto pid = pid_of(process); pid && *pid != self)
            processes.push_back(open_devices(process, *pid));
        return false;
    });
    return processes;
}

// The far end of a pseudo-terminal, the process that holds its master side too, is the line's
// other end and no user of the port.
std::optional<PortHolder> holder_among(const std::vector<OpenDevices>& processes, dev_t device) {
    const auto pts = pts_index(device);
    for (const auto& open : processes)
        if (open.has(device) && !(pts && open.holds_master_of(*pts)))
            return PortHolder{open.pid, program_of(open.process)};
    return std::nullopt;
}

} // namespace

std::string holder_words(const PortHolder& holder) {
    return holder.program + " (process " + std::to_string(holder.pid) + ")";
}

std::optional<PortHolder> find_port_holder(const fs::path& proc_root, dev_t device, pid_t self) {
    return holder_among(look_at(proc_root, self), device);
}

struct SharedHolderLook::Look {
    std::vector<OpenDevices> processes;
};

SharedHolderLook::SharedHolderLook(fs::path proc_root, pid_t self)
    : proc_root(std::move(proc_root)), self(self) {}

SharedHolderLook::~SharedHolderLook() = default;

std::optional<PortHolder> SharedHolderLook::holder_of(dev_t device) {
    std::lock_guard lock(taking);
    if (!look)
        look = std::make_unique<Look>(Look{look_at(proc_root, self)});
    return holder_among(look->processes, device);
}

PortHolderIndex::PortHolderIndex(const fs::path& proc_root, pid_t self) {
    if (proc_root.empty())
        return;
    any_entry(proc_root, [&](const fs::path& process) {
        const auto pid = pid_of(process);
        if (!pid || *pid == self)
            return false;
        Process entry{PortHolder{*pid, {}}, {}};
        bool any = false;
        any_entry(process / "fd", [&](const fs::path& fd) {
            struct stat node {};
            if (::stat(fd.c_str(), &node) != 0)
                return false;
            const bool character = S_ISCHR(node.st_mode);
            // The terminals whose master sides it holds: their slaves are its line, not ports
            // it uses.
            if (character && major(node.st_rdev) == ptmx_major &&
                minor(node.st_rdev) == ptmx_minor) {
                if (const auto index = tty_index_of(process, fd))
                    entry.masters.push_back(*index);
                return false;
            }
            files.push_back(
                {character, character ? node.st_rdev : node.st_dev, node.st_ino, processes.size()});
            any = true;
            return false;
        });
        if (!any)
            return false;
        entry.holder.program = program_of(process);
        processes.push_back(std::move(entry));
        return false;
    });
}

std::vector<PortHolder> PortHolderIndex::holders_of(const fs::path& device) const {
    struct stat node {};
    if (::stat(device.c_str(), &node) != 0)
        return {};
    const bool character = S_ISCHR(node.st_mode);
    const dev_t wanted = character ? node.st_rdev : node.st_dev;
    const auto pts = character ? pts_index(node.st_rdev) : std::nullopt;
    std::vector<PortHolder> holders;
    std::size_t last = static_cast<std::size_t>(-1);
    for (const auto& file : files) {
        if (file.character != character || file.device != wanted ||
            (!character && file.inode != node.st_ino) || file.process == last)
            continue;
        const Process& process = processes[file.process];
        if (pts && std::find(process.masters.begin(), process.masters.end(), *pts) !=
                       process.masters.end())
            continue;
        holders.push_back(process.holder);
        last = file.process;
    }
    return holders;
}

} // namespace pds
