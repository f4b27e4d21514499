// Who holds a port, read from a tree shaped as /proc that each case builds for itself.
#include "adapters/posix/port_holders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace pds {
namespace {

namespace fs = std::filesystem;

// A pseudo-terminal of our own: its slave side is the port the cases look for.
struct PseudoTerminal {
    int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    std::string slave;
    dev_t device = 0;
    unsigned index = 0;

    PseudoTerminal() {
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
            return;
        slave = ::ptsname(master);
        struct stat node {};
        if (::stat(slave.c_str(), &node) == 0)
            device = node.st_rdev;
        index = static_cast<unsigned>(std::stoul(slave.substr(slave.rfind('/') + 1)));
    }
    ~PseudoTerminal() {
        if (master >= 0)
            ::close(master);
    }
};

struct ProcTree {
    fs::path root;

    ProcTree() {
        char pattern[] = "/tmp/pds-proc-XXXXXX";
        root = ::mkdtemp(pattern);
    }
    ~ProcTree() { fs::remove_all(root); }

    // Process `pid` running `program`, its descriptor `fd` a link to `target`.
    void open_file(int pid, const std::string& program, int fd, const fs::path& target,
                   const std::string& fdinfo = {}) const {
        const fs::path process = root / std::to_string(pid);
        fs::create_directories(process / "fd");
        fs::create_directories(process / "fdinfo");
        std::ofstream(process / "comm") << program << "\n";
        fs::create_symlink(target, process / "fd" / std::to_string(fd));
        if (!fdinfo.empty())
            std::ofstream(process / "fdinfo" / std::to_string(fd)) << fdinfo;
    }
};

struct PortHoldersTest : ::testing::Test {
    PseudoTerminal line;
    ProcTree proc;
    void SetUp() override { ASSERT_FALSE(line.slave.empty()); }
    std::optional<PortHolder> holder() const {
        return find_port_holder(proc.root, line.device, ::getpid());
    }
};

TEST_F(PortHoldersTest, AProcessWithThePortOpenIsNamedWithItsId) {
    proc.open_file(700, "bash", 0, "/dev/null");
    proc.open_file(812, "ModemManager", 5, line.slave);
    const auto found = holder();
    ASSERT_TRUE(found);
    EXPECT_EQ(found->pid, 812);
    EXPECT_EQ(found->program, "ModemManager");
    EXPECT_EQ(holder_words(*found), "ModemManager (process 812)");
}

TEST_F(PortHoldersTest, ALinkOfAnotherNameToTheDeviceIsTheSamePort) {
    const fs::path link = proc.root / "display";
    fs::create_symlink(line.slave, link);
    proc.open_file(812, "minicom", 3, link);
    ASSERT_TRUE(holder());
    EXPECT_EQ(holder()->program, "minicom");
}

TEST_F(PortHoldersTest, NobodyElseHoldsIt) {
    const struct {
        const char* name;
        void (*arrange)(const ProcTree&, const PseudoTerminal&);
    } cases[] = {
        {"only files of other devices",
         [](const ProcTree& p, const PseudoTerminal&) {
             p.open_file(700, "bash", 1, "/dev/null");
         }},
        {"this process itself",
         [](const ProcTree& p, const PseudoTerminal& l) {
             p.open_file(static_cast<int>(::getpid()), "vfdctl", 4, l.slave);
         }},
        {"the line's far end, which holds the master side too",
         [](const ProcTree& p, const PseudoTerminal& l) {
             p.open_file(900, "virtual_display", 3, "/dev/ptmx",
                         "pos:\t0\nflags:\t02\ntty-index:\t" + std::to_string(l.index) + "\n");
             p.open_file(900, "virtual_display", 4, l.slave);
         }},
        {"entries that are no process",
         [](const ProcTree& p, const PseudoTerminal& l) {
             fs::create_directories(p.root / "self" / "fd");
             fs::create_symlink(l.slave, p.root / "self" / "fd" / "3");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProcTree fresh;
        c.arrange(fresh, line);
        EXPECT_FALSE(find_port_holder(fresh.root, line.device, ::getpid()));
    }
    EXPECT_FALSE(find_port_holder({}, line.device, ::getpid())) << "no tree: not looked for";
    EXPECT_FALSE(find_port_holder(proc.root / "missing", line.device, ::getpid()));
}

TEST_F(PortHoldersTest, TheMasterOfAnotherTerminalDoesNotExcuseAHolder) {
    proc.open_file(900, "script", 3, "/dev/ptmx", "tty-index:\t" + std::to_string(line.index + 1));
    proc.open_file(900, "script", 4, line.slave);
    ASSERT_TRUE(holder());
    EXPECT_EQ(holder()->pid, 900);
}

// One look for the ports of a run: each answered as a look of its own would have answered at
// the first ask; what opens a port afterwards waits for the next run's look.
TEST_F(PortHoldersTest, OneSharedLookAnswersForEveryPortOfTheRun) {
    PseudoTerminal other;
    ASSERT_FALSE(other.slave.empty());
    proc.open_file(812, "ModemManager", 5, line.slave);
    proc.open_file(900, "virtual_display", 3, "/dev/ptmx",
                   "tty-index:\t" + std::to_string(other.index) + "\n");
    proc.open_file(900, "virtual_display", 4, other.slave);
    SharedHolderLook look(proc.root, ::getpid());
    ASSERT_TRUE(look.holder_of(line.device));
    EXPECT_EQ(holder_words(*look.holder_of(line.device)), "ModemManager (process 812)");
    EXPECT_FALSE(look.holder_of(other.device)) << "only the line's far end has it open";

    proc.open_file(950, "cat", 0, other.slave);
    EXPECT_FALSE(look.holder_of(other.device)) << "opened after the look";
    const auto fresh = find_port_holder(proc.root, other.device, ::getpid());
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fresh->pid, 950);
}

} // namespace
} // namespace pds
