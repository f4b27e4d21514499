// The real adapter against the virtual display on a pseudo-terminal.
#include "adapters/qt/qt_event_pump.h"
#include "adapters/qt/qt_serial_port.h"
#include "link/link_settings.h"
#include "support/qt_application.h"
#include "virtual_display_process.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace pds {
namespace {

using display::VirtualDisplayProcess;
using Bytes = std::vector<std::uint8_t>;
using SteadyClock = std::chrono::steady_clock;

const Bytes write_request = {0x1B, 0xEF, 2, 0, 2, 6, 1, 2, 0, 6}; // dated 2026-12-06
constexpr std::uint8_t check_2026_12_06 = 0x8A;
const Bytes read_request = {0x1B, 0xEE};

ImageBytes pattern(std::uint8_t start) {
    ImageBytes image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(start + 7 * i);
    return image;
}

Bytes reply_of(const ImageBytes& image) {
    Bytes bytes(image.size() + 1, 0xAA);
    std::copy(image.begin(), image.end(), bytes.begin() + 1);
    return bytes;
}

double cpu_seconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

int ms_since(SteadyClock::time_point start) {
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count());
}

std::optional<PortFailure> open_on(QtSerialPort& port, const std::string& device,
                                   const std::string& settings = "9600,n,8,1") {
    return open_port(port, {{0, device}, settings});
}

// One byte at a time, each waiting until it has left, as the transfers send.
bool send(QtSerialPort& port, const Bytes& bytes) {
    for (std::uint8_t byte : bytes) {
        port.queue(std::span(&byte, 1));
        const auto start = SteadyClock::now();
        while (port.bytes_pending() > 0) {
            if (ms_since(start) > 1000)
                return false;
            port.wait_for_activity(10);
        }
    }
    return true;
}

// Waits until `count` bytes are waiting, the device is lost or `limit_ms` passed; takes all.
Bytes collect(QtSerialPort& port, int count, int limit_ms) {
    const auto start = SteadyClock::now();
    while (port.bytes_waiting() < count && !port.device_lost() && ms_since(start) < limit_ms)
        port.wait_for_activity(limit_ms - ms_since(start));
    return port.read_all();
}

class QtSerialPortTest : public ::testing::Test {
protected:
    void SetUp() override { testing::ensure_qt_application(); }
    QtSerialPort port;
};

TEST_F(QtSerialPortTest, WriteThenReadExchangeThroughTheAdapter) {
    VirtualDisplayProcess display({"--no-pacing"});
    ASSERT_TRUE(display.started());

    ASSERT_EQ(open_on(port, display.device()), std::nullopt);
    EXPECT_TRUE(port.is_open());
    ASSERT_TRUE(send(port, write_request));
    EXPECT_EQ(collect(port, 1, 2000), Bytes{check_2026_12_06});
    const ImageBytes written = pattern(3);
    ASSERT_TRUE(send(port, reply_of(written)));
    port.close();
    EXPECT_FALSE(port.is_open());

    ASSERT_TRUE(display.wait_for_output("Stored a new configuration", 2000));
    EXPECT_EQ(display.memory(), written);

    ASSERT_EQ(open_on(port, display.device()), std::nullopt);
    ASSERT_TRUE(send(port, read_request));
    EXPECT_EQ(collect(port, 127, 2000), reply_of(written));
    EXPECT_FALSE(port.device_lost());
}

TEST_F(QtSerialPortTest, InputThatArrivedWhileClosedIsWaitingAfterOpen) {
    // The reply comes while the port is closed; the write must be able to see and discard such
    // bytes, and the read relies on them staying put.
    VirtualDisplayProcess display({"--no-pacing", "--delay", "100"}, pattern(9));
    ASSERT_TRUE(display.started());
    ASSERT_EQ(open_on(port, display.device()), std::nullopt);
    ASSERT_TRUE(send(port, read_request));
    port.close();
    ASSERT_TRUE(display.wait_for_output("Read request", 2000));
    std::this_thread::sleep_for(std::chrono::milliseconds(250));

    ASSERT_EQ(open_on(port, display.device()), std::nullopt);
    EXPECT_EQ(port.bytes_waiting(), 127);
    EXPECT_EQ(port.read_all(), reply_of(pattern(9)));
}

TEST_F(QtSerialPortTest, InputFetchedByTheEventLoopStillCounts) {
    // On the window's thread Qt's own notifier reads the device whenever events are processed.
    VirtualDisplayProcess display({"--no-pacing"}, pattern(5));
    ASSERT_TRUE(display.started());
    ASSERT_EQ(open_on(port, display.device()), std::nullopt);
    ASSERT_TRUE(send(port, read_request));
    QtEventPump events;
    for (int i = 0; i < 10; ++i)
        events.process_events(20);
    EXPECT_EQ(port.bytes_waiting(), 127);
    EXPECT_EQ(port.read_all(), reply_of(pattern(5)));
}

TEST_F(QtSerialPortTest, WaitingForASilentDisplaySleeps) {
    VirtualDisplayProcess display({"--silent"});
    ASSERT_TRUE(display.started());
    ASSERT_EQ(open_on(port, display.device()), std::nullopt);
    ASSERT_TRUE(send(port, write_request));

    const double cpu_before = cpu_seconds();
    const auto start = SteadyClock::now();
    int waits = 0;
    while (ms_since(start) < 500 && port.bytes_waiting() == 0) {
        port.wait_for_activity(500 - ms_since(start));
        ++waits;
    }
    const int wall_ms = ms_since(start);
    const double cpu_ms = (cpu_seconds() - cpu_before) * 1000;

    EXPECT_EQ(port.bytes_waiting(), 0);
    EXPECT_GE(wall_ms, 500);
    EXPECT_LE(waits, 3) << "each wait blocks until its limit";
    // A loose bound that holds on a loaded machine; the link benchmark keeps the tight figure.
    EXPECT_LT(cpu_ms, 0.3 * wall_ms) << "of " << wall_ms << " ms";
}

TEST_F(QtSerialPortTest, ShortReplyGivesTheBytesThatCame) {
    VirtualDisplayProcess display({"--no-pacing", "--short-reply", "60"});
    ASSERT_TRUE(display.started());
    ASSERT_EQ(open_on(port, display.device()), std::nullopt);
    ASSERT_TRUE(send(port, read_request));
    const Bytes reply = collect(port, 127, 300);
    ASSERT_EQ(reply.size(), 60u);
    EXPECT_EQ(reply[0], 0xAA);
    EXPECT_FALSE(port.device_lost());
}

TEST_F(QtSerialPortTest, HangUpMidTransferIsNoticedReleasedAndRecovered) {
    VirtualDisplayProcess display({"--hang-up-after", "60"}, pattern(2));
    ASSERT_TRUE(display.started());
    ASSERT_EQ(open_on(port, display.device()), std::nullopt);
    ASSERT_TRUE(send(port, read_request));

    const auto start = SteadyClock::now();
    const Bytes cut = collect(port, 127, 3000);
    EXPECT_TRUE(port.device_lost());
    EXPECT_LT(ms_since(start), 1000) << "the loss ends the wait";
    EXPECT_LE(cut.size(), 58u);
    EXPECT_TRUE(port.is_open()) << "open until the transfer closes it";
    EXPECT_EQ(port.bytes_pending(), 0);

    // Neither the adapter's waits nor Qt's event loop keep turning on the dead device.
    QtEventPump events;
    const double cpu_before = cpu_seconds();
    const auto idle_start = SteadyClock::now();
    while (ms_since(idle_start) < 300) {
        port.wait_for_activity(20);
        events.process_events(20);
        port.bytes_waiting();
    }
    EXPECT_LT((cpu_seconds() - cpu_before) * 1000, 100) << "of 300 ms";

    port.close();
    EXPECT_FALSE(port.is_open());

    // The display offers a fresh device, as a replugged adapter would; the same adapter opens it.
    ASSERT_TRUE(display.wait_for_output("Virtual pole display on", 2000, 2));
    ASSERT_EQ(open_on(port, display.latest_device()), std::nullopt);
    EXPECT_FALSE(port.device_lost());
    ASSERT_TRUE(send(port, read_request));
    EXPECT_EQ(collect(port, 127, 2000), reply_of(pattern(2)));
}

TEST_F(QtSerialPortTest, MissingDeviceIsNoSuchPortWithTheSystemsReason) {
    auto failure = open_on(port, "/dev/ttyUSB-not-there");
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->kind, PortFailure::Kind::NoSuchPort);
    EXPECT_EQ(failure->device, "/dev/ttyUSB-not-there");
    EXPECT_EQ(failure->reason, "No such file or directory");
    EXPECT_FALSE(port.is_open());

    failure = open_on(port, "Com 9");
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->kind, PortFailure::Kind::NoSuchPort);
    EXPECT_EQ(failure->device, "");
    EXPECT_NE(failure->reason.find("\"Com 9\" is not a port"), std::string::npos);
    EXPECT_FALSE(port.is_open());
}

TEST_F(QtSerialPortTest, BadSettingsFailBeforeTheDeviceIsOpened) {
    VirtualDisplayProcess display;
    ASSERT_TRUE(display.started());
    for (const char* settings : {"9600,x,8,1", "9600,n,8", "9600,n,8,1.5"}) {
        const auto failure = open_on(port, display.device(), settings);
        ASSERT_TRUE(failure) << settings;
        EXPECT_EQ(failure->kind, PortFailure::Kind::BadSettings) << settings;
        EXPECT_EQ(failure->device, display.device());
        EXPECT_FALSE(failure->reason.empty());
        EXPECT_FALSE(port.is_open());
    }
}

TEST_F(QtSerialPortTest, LineSettingsReachTheDevice) {
    VirtualDisplayProcess display;
    ASSERT_TRUE(display.started());
    // Opened first: the adapter asks for exclusive use, which keeps later opens out.
    const int watcher = ::open(display.device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(watcher, 0);

    // A pseudo-terminal keeps 8 data bits and no parity whatever it is told, but it does keep
    // the speed, the stop bits and the kind of parity asked for.
    struct Case {
        const char* settings;
        speed_t speed;
        tcflag_t parity_kind; // PARODD and CMSPAR as they must be
        bool two_stop_bits;
    };
    const Case cases[] = {
        {"9600,n,8,1", B9600, 0, false},
        {"19200,n,8,1", B19200, 0, false},
        {"4800,e,7,2", B4800, 0, true},
        {"2400,o,6,1", B2400, PARODD, false},
        {"9600,m,5,2", B9600, PARODD | CMSPAR, true},
        {"1200,s,8,1", B1200, CMSPAR, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        ASSERT_EQ(open_on(port, display.device(), c.settings), std::nullopt);
        termios line{};
        ASSERT_EQ(::tcgetattr(watcher, &line), 0);
        EXPECT_EQ(::cfgetospeed(&line), c.speed);
        EXPECT_EQ(::cfgetispeed(&line), c.speed);
        EXPECT_EQ(line.c_cflag & (PARODD | CMSPAR), c.parity_kind);
        EXPECT_EQ((line.c_cflag & CSTOPB) != 0, c.two_stop_bits);
        EXPECT_EQ(line.c_cflag & CRTSCTS, 0u) << "no flow control";
        EXPECT_EQ(line.c_iflag & (IXON | IXOFF), 0u) << "no flow control";
        port.close();
    }
    ::close(watcher);
}

TEST_F(QtSerialPortTest, CloseGivesThePortBackItsSettings) {
    VirtualDisplayProcess display;
    ASSERT_TRUE(display.started());
    const int watcher = ::open(display.device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(watcher, 0);
    termios before{};
    ASSERT_EQ(::tcgetattr(watcher, &before), 0);
    ASSERT_EQ(open_on(port, display.device(), "4800,e,7,2"), std::nullopt);
    port.close();
    termios after{};
    ASSERT_EQ(::tcgetattr(watcher, &after), 0);
    EXPECT_EQ(::cfgetospeed(&after), ::cfgetospeed(&before));
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    ::close(watcher);
}

class PortProbe {
public:
    explicit PortProbe(const QStringList& arguments) {
        process.start(QStringLiteral(PORT_PROBE_PROGRAM), arguments);
        process.waitForStarted(5000);
    }
    ~PortProbe() {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            process.waitForFinished(3000);
        }
    }
    QString first_line() {
        while (!process.canReadLine() && process.waitForReadyRead(5000))
            ;
        return QString::fromUtf8(process.readLine()).trimmed();
    }
    QProcess process;
};

// Another name of the same device: Qt's lock file goes by the name and does not see it.
std::string doubled_slash(const std::string& device) {
    return "/dev/" + device.substr(std::string("/dev").size());
}

TEST_F(QtSerialPortTest, PortHeldByAnotherProgramIsInUse) {
    VirtualDisplayProcess display;
    ASSERT_TRUE(display.started());
    {
        PortProbe holder({"--hold", QString::fromStdString(display.device())});
        ASSERT_EQ(holder.first_line(), "opened");

        // Root too: the exclusive use Qt asks for does not bind root.
        for (const std::string& name : {display.device(), doubled_slash(display.device())}) {
            SCOPED_TRACE(name);
            const auto failure = open_on(port, name);
            ASSERT_TRUE(failure);
            EXPECT_EQ(failure->kind, PortFailure::Kind::InUse);
            EXPECT_EQ(failure->device, name);
            EXPECT_EQ(failure->reason.find("Permission"), std::string::npos) << failure->reason;
            EXPECT_FALSE(port.is_open());
        }
    }
    // Once the other program lets go, the port is free again.
    EXPECT_EQ(open_on(port, display.device()), std::nullopt);
}

TEST_F(QtSerialPortTest, PortOpenHereUnderAnotherNameIsInUse) {
    VirtualDisplayProcess display;
    ASSERT_TRUE(display.started());
    const QTemporaryDir folder;
    const QString link = folder.filePath("display");
    ASSERT_TRUE(QFile::link(QString::fromStdString(display.device()), link));

    ASSERT_EQ(open_on(port, display.device()), std::nullopt);
    for (const std::string& name : {doubled_slash(display.device()), link.toStdString()}) {
        SCOPED_TRACE(name);
        QtSerialPort second;
        const auto failure = open_on(second, name);
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->kind, PortFailure::Kind::InUse);
        EXPECT_FALSE(second.is_open());
    }
    port.close();
    QtSerialPort second;
    EXPECT_EQ(open_on(second, link.toStdString()), std::nullopt);
}

TEST_F(QtSerialPortTest, LongAndNonUtf8NamesOpenTheDeviceTheyName) {
    VirtualDisplayProcess display({"--no-pacing"}, pattern(4));
    ASSERT_TRUE(display.started());
    const QTemporaryDir folder;
    const std::string base = folder.path().toStdString() + "/";

    std::vector<std::string> names;
    // A link whose whole name is 250 characters.
    names.push_back(base + std::string(250 - base.size(), 'd'));
    ASSERT_EQ(::symlink(display.device().c_str(), names.back().c_str()), 0);
    // A link named with a byte that is not UTF-8. (A pseudo-terminal opens through its own
    // file system only, so no node of another name can stand for one here.)
    names.push_back(base + "display-\xFF");
    ASSERT_EQ(::symlink(display.device().c_str(), names.back().c_str()), 0);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const auto failure = open_on(port, name);
        ASSERT_FALSE(failure) << static_cast<int>(failure->kind) << " " << failure->reason;
        ASSERT_TRUE(send(port, read_request));
        EXPECT_EQ(collect(port, 127, 2000), reply_of(pattern(4)));
        port.close();
    }
}

TEST_F(QtSerialPortTest, PathThatIsNoSerialPortSaysWhatItIs) {
    const QTemporaryDir folder;
    const QString file = folder.filePath("shop.vfd");
    QFile regular(file);
    ASSERT_TRUE(regular.open(QIODevice::WriteOnly));
    regular.write("not a port");
    regular.close();
    const struct {
        std::string path;
        const char* is;
    } cases[] = {
        {file.toStdString(), "a regular file"},
        {folder.path().toStdString(), "a folder"},
        {"/dev/null", "a device of another kind"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const auto failure = open_on(port, c.path);
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->kind, PortFailure::Kind::NotAPort);
        EXPECT_EQ(failure->device, c.path);
        EXPECT_EQ(failure->reason, c.is);
        EXPECT_FALSE(port.is_open());
    }
}

TEST_F(QtSerialPortTest, DeviceThisUserMayNotUseIsPermission) {
    VirtualDisplayProcess display;
    ASSERT_TRUE(display.started());
    const QString device = QString::fromStdString(display.device());
    // An unprivileged user: root ignores file modes, so it probes as nobody instead.
    QStringList arguments{device};
    if (::geteuid() == 0)
        arguments = QStringList{"--as-user", "nobody", device};
    else
        ASSERT_EQ(::chmod(display.device().c_str(), 0), 0);
    PortProbe probe(arguments);
    EXPECT_TRUE(probe.first_line().startsWith("failed Permission ")) << "as an unprivileged user";
}

TEST_F(QtSerialPortTest, PortsInWorkerThreadsWithoutEventLoops) {
    VirtualDisplayProcess first({"--no-pacing"}, pattern(1));
    VirtualDisplayProcess second({"--no-pacing"}, pattern(100));
    ASSERT_TRUE(first.started() && second.started());

    // Each worker owns its port, as a tool driving several displays at once would.
    const auto read_display = [](const std::string& device, Bytes& reply) {
        return QThread::create([device, &reply] {
            QtSerialPort own;
            if (open_on(own, device))
                return;
            if (send(own, read_request))
                reply = collect(own, 127, 2000);
            own.close();
        });
    };
    Bytes first_reply, second_reply;
    std::unique_ptr<QThread> a(read_display(first.device(), first_reply));
    std::unique_ptr<QThread> b(read_display(second.device(), second_reply));
    a->start();
    b->start();
    ASSERT_TRUE(a->wait(5000) && b->wait(5000));
    EXPECT_EQ(first_reply, reply_of(pattern(1)));
    EXPECT_EQ(second_reply, reply_of(pattern(100)));
}

} // namespace
} // namespace pds
