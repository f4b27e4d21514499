// vfdctl doctor as a person runs it: on pseudo-terminals held, shut to the user, answered at
// another speed or flooded, and on a system tree with an adapter no driver serves.
#include "support/qt_application.h"
#include "support/sample_images.h"
#include "virtual_display_process.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace pds {
namespace {

namespace fs = std::filesystem;

struct Ran {
    int code = -1;
    std::string out;
    std::string err;
};

Ran run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000))
        ADD_FAILURE() << "vfdctl did not end";
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

Ran vfdctl(const QStringList& arguments) {
    return run(QStringLiteral(VFDCTL_PROGRAM), arguments);
}

QJsonObject document_of(const Ran& ran) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(ran.out)).object();
}

// The findings of the one port of a --json document, as "severity topic: text" and the fix.
QJsonArray findings_of(const Ran& ran) {
    return document_of(ran)["ports"].toArray().at(0).toObject()["findings"].toArray();
}

QJsonObject finding(const Ran& ran, const QString& topic, const QString& severity) {
    for (const auto& value : findings_of(ran)) {
        const QJsonObject found = value.toObject();
        if (found["topic"] == topic && found["severity"] == severity)
            return found;
    }
    ADD_FAILURE() << "no " << severity.toStdString() << " about " << topic.toStdString() << " in:\n"
                  << ran.out;
    return {};
}

// A pseudo-terminal whose slave side is the port; the test keeps the master.
struct PseudoTerminal {
    // Not inherited: a child that held the master too would count as the line's other end.
    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    QString slave;

    PseudoTerminal() {
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0)
            slave = QString::fromLocal8Bit(::ptsname(master));
        EXPECT_FALSE(slave.isEmpty());
    }
    ~PseudoTerminal() {
        if (master >= 0)
            ::close(master);
    }
};

class DoctorE2eTest : public ::testing::Test {
protected:
    DoctorE2eTest() { testing::ensure_qt_application(); }
};

TEST_F(DoctorE2eTest, APortAProcessHoldsNamesItByItsProcessId) {
    const PseudoTerminal terminal;
    QProcess holder;
    // The shell becomes sleep with the port open, so the process keeps the shell's id.
    holder.start("sh",
                 {"-c", "exec 3<>\"$1\" && echo held && exec sleep 60", "sh", terminal.slave});
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    const qint64 pid = holder.processId();
    const Ran ran = vfdctl({"doctor", "--port", terminal.slave, "--json"});
    holder.kill();
    holder.waitForFinished();

    EXPECT_EQ(ran.code, 4) << ran.out << ran.err;
    EXPECT_EQ(document_of(ran)["meaning"], "port_unavailable");
    EXPECT_EQ(finding(ran, "holder", "problem")["text"].toString().toStdString(),
              "sleep (process " + std::to_string(pid) + ") holds it open");
    // A held port is not probed: its line finding would only say the same again.
    for (const auto& value : findings_of(ran))
        EXPECT_NE(value.toObject()["topic"], "line");
}

TEST_F(DoctorE2eTest, AUserWithoutThePortsGroupIsToldToJoinIt) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can hand the port to a group and run vfdctl as another user";
    const PseudoTerminal terminal;
    const std::string slave = terminal.slave.toStdString();
    ASSERT_EQ(::chown(slave.c_str(), 0, 20), 0); // dialout on Debian
    ASSERT_EQ(::chmod(slave.c_str(), 0660), 0);

    const Ran ran = run("setpriv", {"--reuid=nobody", "--regid=nogroup", "--clear-groups",
                                    VFDCTL_PROGRAM, "doctor", "--port", terminal.slave});
    EXPECT_EQ(ran.code, 4) << ran.out << ran.err;
    const std::string expected = terminal.slave.toStdString() +
                                 ": cannot be used: 1 problem\n"
                                 "  ok: a pseudo-terminal (" +
                                 slave +
                                 ")\n"
                                 "  problem: owner root, group dialout, mode 660: nobody is not "
                                 "in the group dialout\n"
                                 "      sudo usermod -aG dialout \"$USER\"\n"
                                 "    then log out and in again\n";
    EXPECT_EQ(ran.out, expected);
    EXPECT_EQ(ran.err, "1 of 1 port cannot be used\n");
}

TEST_F(DoctorE2eTest, ADisplayAtTheOtherSpeedThanAskedIsFound) {
    display::VirtualDisplayProcess fast({"--baud", "19200"}, samples::factory_image());
    ASSERT_TRUE(fast.started());
    const QString port = QString::fromStdString(fast.device());

    const Ran asked = vfdctl({"doctor", "--port", port, "--baud", "9600", "--json"});
    EXPECT_EQ(asked.code, 0) << asked.out << asked.err;
    const QJsonObject line = finding(asked, "line", "advice");
    EXPECT_EQ(line["text"], "a display answers at 19200 bit/s, not at the 9600 bit/s asked for");
    EXPECT_EQ(line["after_fix"], "use --baud 19200, or choose 19200 in the window");

    const Ran plain = vfdctl({"doctor", "--port", port, "--json"});
    EXPECT_EQ(finding(plain, "line", "ok")["text"], "a display answers at 19200 bit/s");

    const Ran skipped = vfdctl({"doctor", "--port", port, "--no-probe", "--json"});
    EXPECT_EQ(skipped.code, 0);
    for (const auto& value : findings_of(skipped))
        EXPECT_NE(value.toObject()["topic"], "line");
    // Nothing was written to the display: it holds what it held.
    EXPECT_EQ(fast.memory(), samples::factory_image());
}

TEST_F(DoctorE2eTest, ALineThatNeverFallsQuietIsAProblemOfItsOwn) {
    const PseudoTerminal terminal;
    std::atomic<bool> done = false;
    std::thread babbler([&] {
        const unsigned char noise[] = {0xAA, 0x55, 0x00, 0xFF};
        while (!done) {
            (void)!::write(terminal.master, noise, sizeof noise);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    // What the babble filled the terminal with is read away so it never stops it.
    std::thread drain([&] {
        char buffer[256];
        ::fcntl(terminal.master, F_SETFL, O_NONBLOCK);
        while (!done) {
            (void)!::read(terminal.master, buffer, sizeof buffer);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    const Ran ran = vfdctl({"doctor", "--port", terminal.slave, "--json"});
    done = true;
    babbler.join();
    drain.join();
    EXPECT_EQ(ran.code, 4) << ran.out << ran.err;
    EXPECT_EQ(finding(ran, "line", "problem")["text"],
              "the line never fell quiet: something keeps sending on it");
}

// A system of its own, given to vfdctl with --root.
struct Tree {
    QTemporaryDir folder;
    fs::path top = folder.path().toStdString();
    void write(const fs::path& file, const std::string& text) const {
        fs::create_directories((top / file).parent_path());
        std::ofstream(top / file) << text;
    }
};

TEST_F(DoctorE2eTest, AnAdapterWithoutADriverIsNamedWithTheCommandThatLoadsIt) {
    Tree tree;
    tree.write("sys/bus/usb/devices/1-4/idVendor", "1a86\n");
    tree.write("sys/bus/usb/devices/1-4/idProduct", "7523\n");
    tree.write("dev/ttyS0", "");

    const Ran ran = vfdctl({"doctor", "--root", tree.folder.path(), "--port", "/dev/ttyUSB0"});
    EXPECT_EQ(ran.code, 4);
    EXPECT_EQ(ran.out, "/dev/ttyUSB0: cannot be used: 2 problems\n"
                       "  problem: does not exist; there is no other serial port\n"
                       "  problem: the adapter at USB 1-4 (USB 1a86:7523, WCH CH340) has no driver "
                       "bound, so it has no port\n"
                       "      sudo modprobe ch341\n");
}

TEST_F(DoctorE2eTest, EveryListedPortIsExaminedWhenNoneIsGiven) {
    Tree tree;
    tree.write("dev/ttyS0", "");
    tree.write("sys/devices/platform/serial8250/tty/ttyS0/.keep", "");
    fs::create_directories(tree.top / "sys/class/tty/ttyS0");
    fs::create_symlink("../../../devices/platform/serial8250/tty/ttyS0",
                       tree.top / "sys/class/tty/ttyS0/device");
    fs::create_directories(tree.top / "sys/class/tty/tty0"); // a console: no device behind it

    const Ran ran = vfdctl({"doctor", "--root", tree.folder.path(), "--no-probe", "--json"});
    EXPECT_EQ(ran.code, 0) << ran.out << ran.err;
    const QJsonArray ports = document_of(ran)["ports"].toArray();
    ASSERT_EQ(ports.size(), 1);
    EXPECT_EQ(ports[0].toObject()["port"], "/dev/ttyS0");
    EXPECT_EQ(ports[0].toObject()["kind"], "built_in");
}

} // namespace
} // namespace pds
