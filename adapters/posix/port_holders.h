// Which other process has a device open, as Linux shows every process's open files under /proc.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace pds {

struct PortHolder {
    pid_t pid = 0;
    std::string program; // its command name, e.g. ModemManager
};

// "ModemManager (process 812)".
std::string holder_words(const PortHolder& holder);

// The first process under `proc_root` (/proc, or a tree of the same shape) other than `self`
// that has the character device `device` open, as `<pid>/fd/<n>` links to it show. The far end
// of a pseudo-terminal, the process that holds its master side too, is the line's other end and
// no user of the port. A user other than root sees only the files of its own processes; nothing
// when `proc_root` is empty or shows nothing.
std::optional<PortHolder> find_port_holder(const std::filesystem::path& proc_root, dev_t device,
                                           pid_t self);

// Every such process for the file at `device`, by the same rules: a character device as its
// device number shows it, any other file (a test's stand-in) as the file itself.
std::vector<PortHolder> find_port_holders(const std::filesystem::path& proc_root,
                                          const std::filesystem::path& device, pid_t self);

} // namespace pds
