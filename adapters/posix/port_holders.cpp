#include "adapters/posix/port_holders.h"

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

// What a descriptor must lead to: a character device by its number, else the file itself.
struct OpenedFile {
    bool character = true;
    dev_t device = 0; // character: the device number; else the file system's
    ino_t inode = 0;
};

bool has_open(const fs::path& process, const OpenedFile& file) {
    return any_entry(process / "fd", [&](const fs::path& fd) {
        struct stat node {};
        if (::stat(fd.c_str(), &node) != 0)
            return false;
        if (file.character)
            return S_ISCHR(node.st_mode) && node.st_rdev == file.device;
        return !S_ISCHR(node.st_mode) && node.st_dev == file.device && node.st_ino == file.inode;
    });
}

// Each process under `proc_root` but `self` that holds `file`, until `visit` says enough.
template <typename Visit>
void each_holder(const fs::path& proc_root, const OpenedFile& file, pid_t self, Visit&& visit) {
    if (proc_root.empty())
        return;
    const auto pts = file.character ? pts_index(file.device) : std::nullopt;
    any_entry(proc_root, [&](const fs::path& process) {
        const auto pid = pid_of(process);
        if (!pid || *pid == self || !has_open(process, file))
            return false;
        if (pts && holds_master_of(process, *pts))
            return false;
        return visit(PortHolder{*pid, program_of(process)});
    });
}

} // namespace

std::string holder_words(const PortHolder& holder) {
    return holder.program + " (process " + std::to_string(holder.pid) + ")";
}

std::optional<PortHolder> find_port_holder(const fs::path& proc_root, dev_t device, pid_t self) {
    std::optional<PortHolder> holder;
    each_holder(proc_root, OpenedFile{true, device, 0}, self, [&](PortHolder found) {
        holder = std::move(found);
        return true;
    });
    return holder;
}

std::vector<PortHolder> find_port_holders(const fs::path& proc_root, const fs::path& device,
                                          pid_t self) {
    struct stat node {};
    if (::stat(device.c_str(), &node) != 0)
        return {};
    const OpenedFile file = S_ISCHR(node.st_mode) ? OpenedFile{true, node.st_rdev, 0}
                                                  : OpenedFile{false, node.st_dev, node.st_ino};
    std::vector<PortHolder> holders;
    each_holder(proc_root, file, self, [&](PortHolder found) {
        holders.push_back(std::move(found));
        return false;
    });
    return holders;
}

} // namespace pds
