// Which other process has a device open, as Linux shows every process's open files under /proc.
#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
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

// One look at `proc_root` for every port of a run that opens its ports at once, each on its
// own thread: the first open that asks takes it, and every later one answers from it as
// find_port_holder would have then. A program that opens a port after the look is not seen.
class SharedHolderLook {
public:
    SharedHolderLook(std::filesystem::path proc_root, pid_t self);
    ~SharedHolderLook();
    SharedHolderLook(const SharedHolderLook&) = delete;
    SharedHolderLook& operator=(const SharedHolderLook&) = delete;

    std::optional<PortHolder> holder_of(dev_t device);

private:
    struct Look;
    std::filesystem::path proc_root;
    pid_t self;
    std::mutex taking;
    std::unique_ptr<Look> look; // once taken
};

// Every process's open files, read once, for asking about many ports: a walk of /proc for
// each would take as long again per port.
class PortHolderIndex {
public:
    PortHolderIndex(const std::filesystem::path& proc_root, pid_t self);
    // Every process that holds the file at `device`, by the rules of find_port_holder(): a
    // character device as its device number shows it, any other file (a test's stand-in) as
    // the file itself.
    std::vector<PortHolder> holders_of(const std::filesystem::path& device) const;

private:
    struct OpenFile {
        bool character;
        dev_t device;
        ino_t inode;
        std::size_t process; // in `processes`
    };
    struct Process {
        PortHolder holder;
        std::vector<unsigned> masters; // the pseudo-terminals whose master side it holds
    };
    std::vector<OpenFile> files;
    std::vector<Process> processes;
};

} // namespace pds
