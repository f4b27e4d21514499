#include "adapters/posix/port_holders.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <system_error>

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

// Whether one of the process's files is the master side of pseudo-terminal `index`: fdinfo
// names the terminal a /dev/ptmx descriptor opened.
bool holds_master_of(const fs::path& process, unsigned index) {
    return any_entry(process / "fd", [&](const fs::path& fd) {
        std::error_code error;
        const fs::path target = fs::read_symlink(fd, error);
        if (error || target.filename() != "ptmx")
            return false;
        std::ifstream info(process / "fdinfo" / fd.filename());
        for (std::string line; std::getline(info, line);) {
            const std::string key = "tty-index:";
            if (line.rfind(key, 0) != 0)
                continue;
            const auto digits = line.find_first_not_of(" \t", key.size());
            unsigned value = 0;
            const char* end = line.data() + line.size();
            if (digits != std::string::npos &&
                std::from_chars(line.data() + digits, end, value).ec == std::errc{} &&
                value == index)
                return true;
        }
        return false;
    });
}

bool has_open(const fs::path& process, dev_t device) {
    return any_entry(process / "fd", [&](const fs::path& fd) {
        struct stat node {};
        return ::stat(fd.c_str(), &node) == 0 && S_ISCHR(node.st_mode) && node.st_rdev == device;
    });
}

} // namespace

std::string holder_words(const PortHolder& holder) {
    return holder.program + " (process " + std::to_string(holder.pid) + ")";
}

std::optional<PortHolder> find_port_holder(const fs::path& proc_root, dev_t device, pid_t self) {
    if (proc_root.empty())
        return std::nullopt;
    const auto pts = pts_index(device);
    std::optional<PortHolder> holder;
    any_entry(proc_root, [&](const fs::path& process) {
        const auto pid = pid_of(process);
        if (!pid || *pid == self || !has_open(process, device))
            return false;
        if (pts && holds_master_of(process, *pts))
            return false;
        holder = PortHolder{*pid, program_of(process)};
        return true;
    });
    return holder;
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
            files.push_back(
                {character, character ? node.st_rdev : node.st_dev, node.st_ino, processes.size()});
            any = true;
            return false;
        });
        if (!any)
            return false;
        entry.holder.program = program_of(process);
        // Which terminals' master sides it holds: their slaves are its line, not ports it uses.
        for (const auto& file : files)
            if (file.process == processes.size() && file.character)
                if (const auto pts = pts_index(file.device); pts && holds_master_of(process, *pts))
                    entry.masters.push_back(*pts);
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
