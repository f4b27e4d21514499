#include "adapters/qt/qt_serial_port.h"

#include "link/serial_line.h"

#include <QByteArray>
#include <QSerialPort>
#include <QString>

#include <algorithm>
#include <array>
#include <chrono>
#include <climits>
#include <cmath>
#include <functional>
#include <optional>
#include <thread>
#include <utility>
#include <variant>

#ifdef Q_OS_UNIX
#include "adapters/posix/port_holders.h"
#include "adapters/posix/termination_guard.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pds {

namespace {

QSerialPort::Parity qt_parity(Parity parity) {
    switch (parity) {
    case Parity::None:
        return QSerialPort::NoParity;
    case Parity::Even:
        return QSerialPort::EvenParity;
    case Parity::Odd:
        return QSerialPort::OddParity;
    case Parity::Mark:
        return QSerialPort::MarkParity;
    case Parity::Space:
        return QSerialPort::SpaceParity;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits qt_stop_bits(StopBits stop_bits) {
    switch (stop_bits) {
    case StopBits::One:
        return QSerialPort::OneStop;
    case StopBits::OneAndHalf:
        return QSerialPort::OneAndHalfStop;
    case StopBits::Two:
        return QSerialPort::TwoStop;
    }
    return QSerialPort::OneStop;
}

// Qt answers both "this user may not use the device" and "another program holds it" (its lock
// file, or an exclusive open) with PermissionError. A node this user may read and write tells
// the second apart.
PortFailure::Kind refused_kind(const std::string& device) {
#ifdef Q_OS_UNIX
    return ::access(device.c_str(), R_OK | W_OK) == 0 ? PortFailure::Kind::InUse
                                                      : PortFailure::Kind::Permission;
#else
    (void)device; // Windows refuses a port that another program holds with "access denied"
    return PortFailure::Kind::InUse;
#endif
}

PortFailure failure_of(const QSerialPort& port, const std::string& device) {
    PortFailure failure;
    failure.device = device;
    failure.reason = port.errorString().toStdString();
    switch (port.error()) {
    case QSerialPort::DeviceNotFoundError:
        failure.kind = PortFailure::Kind::NoSuchPort;
        break;
    case QSerialPort::PermissionError:
        failure.kind = refused_kind(device);
        // Qt's words for it speak of permission and locking, which mislead here.
        if (failure.kind == PortFailure::Kind::InUse)
            failure.reason.clear();
        break;
    case QSerialPort::UnsupportedOperationError:
        failure.kind = PortFailure::Kind::BadSettings;
        break;
    default:
        failure.kind = PortFailure::Kind::Other;
        break;
    }
    return failure;
}

#ifdef Q_OS_UNIX
PortFailure::Kind kind_of_error(int error) {
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return PortFailure::Kind::NoSuchPort;
    case EACCES:
    case EPERM:
        return PortFailure::Kind::Permission;
    case EBUSY: // held for exclusive use by another program
        return PortFailure::Kind::InUse;
    default:
        return PortFailure::Kind::Other;
    }
}

// What a path that is no serial port names instead, for the operator.
std::string what_node_is(const struct stat& node) {
    if (S_ISREG(node.st_mode))
        return "a regular file";
    if (S_ISDIR(node.st_mode))
        return "a folder";
    if (S_ISCHR(node.st_mode))
        return "a device of another kind";
    return "a file of another kind";
}

// A descriptor of our own on the device, taken before Qt's and kept while the port is open.
// Its lock belongs to the device, whatever name reached it, and binds root too: Qt's lock file
// goes by the name, and the exclusive use Qt asks for does not bind root. It also remembers the
// line settings the port had, to put back however the program ends.
//
// A port another program holds is refused before a byte is sent on it: whichever way the
// holder took it (our lock, exclusive use, which binds root only when asked, or a plain open
// that the system shows under `proc_root`), a request sent now would take the holder's answer.
std::variant<int, PortFailure>
claim_device(const std::string& device,
             const std::function<std::optional<PortHolder>(dev_t)>& holder_of) {
    const auto refused = [&](PortFailure::Kind kind, std::string reason, int descriptor = -1) {
        if (descriptor >= 0)
            ::close(descriptor);
        return PortFailure{kind, device, std::move(reason)};
    };
    struct stat node {};
    const bool found = ::stat(device.c_str(), &node) == 0;
    if (found && !S_ISCHR(node.st_mode))
        return refused(PortFailure::Kind::NotAPort, what_node_is(node));
    // Named where the system shows who; an empty reason says only that someone does.
    const auto held = [&](int descriptor = -1) {
        const auto holder = found ? holder_of(node.st_rdev) : std::nullopt;
        return refused(PortFailure::Kind::InUse, holder ? holder_words(*holder) : "", descriptor);
    };

    const int descriptor = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        const int error = errno;
        const auto kind = kind_of_error(error);
        if (kind == PortFailure::Kind::InUse)
            return held();
        return refused(kind, std::strerror(error));
    }
    if (!::isatty(descriptor))
        return refused(PortFailure::Kind::NotAPort, what_node_is(node), descriptor);
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        return held(descriptor);
#ifdef TIOCGEXCL
    if (int exclusive = 0; ::ioctl(descriptor, TIOCGEXCL, &exclusive) == 0 && exclusive)
        return held(descriptor);
#endif
    if (const auto holder = holder_of(node.st_rdev))
        return refused(PortFailure::Kind::InUse, holder_words(*holder), descriptor);
    termios before{};
    if (::tcgetattr(descriptor, &before) != 0)
        return refused(PortFailure::Kind::Other, std::strerror(errno), descriptor);
    watch_port(descriptor, before);
    return descriptor;
}
#endif

#ifdef Q_OS_UNIX
// Where Qt keeps its lock files, in the order it tries them.
constexpr std::array<const char*, 8> qt_lock_folders{
    "/var/lock", "/etc/locks", "/var/spool/locks",  "/var/spool/uucp",
    "/tmp",      "/var/tmp",   "/var/lock/lockdev", "/run/lock"};

// Qt's lock file for the port it calls `name` (without /dev/) in `folder`: LCK.. and the name,
// its slashes as underscores.
std::string qt_lock_file_in(const std::string& folder, std::string name) {
    std::replace(name.begin(), name.end(), '/', '_');
    return folder + "/LCK.." + name;
}

// The process id a lock file starts with, as Qt and most other programs write it: in digits
// on its first line.
std::optional<pid_t> pid_in_lock_file(const std::string& path) {
    std::ifstream file(path);
    long pid = 0;
    if (!(file >> pid) || pid <= 0)
        return std::nullopt;
    return static_cast<pid_t>(pid);
}

// The lock file Qt has just made for the port it calls `name`: the one in Qt's folders that
// holds this process's id.
std::string qt_lock_file_of(const std::string& name) {
    for (const char* folder : qt_lock_folders) {
        const std::string path = qt_lock_file_in(folder, name);
        if (pid_in_lock_file(path) == ::getpid())
            return path;
    }
    return {};
}

// Why Qt refused the port `name` when no process holds it: a lock file whose process has
// ended, which Qt removes only where this user may (in a shared folder, only its owner and
// root may) and when it names this machine. Empty when there is no such file.
std::string stale_lock_words(const std::string& name) {
    for (const char* folder : qt_lock_folders) {
        // Qt uses the first folder this user may read and write.
        if (::access(folder, R_OK | W_OK | X_OK) != 0)
            continue;
        const std::string path = qt_lock_file_in(folder, name);
        const auto pid = pid_in_lock_file(path);
        if (!pid || ::kill(*pid, 0) == 0 || errno != ESRCH)
            return {};
        return "the lock file " + path + " of process " + std::to_string(*pid) +
               ", which has ended, still marks the port as taken; remove it: sudo rm " + path;
    }
    return {};
}
#endif

#ifdef Q_OS_UNIX
// The name Qt opens the device by. Through links, the device's own name: Qt names its lock
// file after it, which then goes by the device, and a long link's name would make that file's
// name longer than a file name may be. A name that is not UTF-8, which a QString cannot carry,
// through this process's own descriptor of the device, so that its bytes open it.
QString qt_name_for(const std::string& device, int own_descriptor) {
    std::error_code error;
    const std::string name = std::filesystem::canonical(device, error).string();
    const std::string& chosen = error ? device : name;
    const QString text = QString::fromStdString(chosen);
    if (text.toStdString() == chosen)
        return text;
    return QStringLiteral("/proc/%1/fd/%2").arg(::getpid()).arg(own_descriptor);
}
#endif

void sleep_ms(int ms) {
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

QtSerialPort::QtSerialPort(std::filesystem::path proc_root) : proc_root(std::move(proc_root)) {}

QtSerialPort::QtSerialPort(std::shared_ptr<SharedHolderLook> shared_look)
    : shared_look(std::move(shared_look)) {}

QtSerialPort::~QtSerialPort() {
    close();
}

std::string QtSerialPort::unavailable(const LineSettings& line) const {
    // Qt would quietly send one stop bit instead: termios has no 1.5.
    if (this_host() == HostSystem::Posix && line.stop_bits == StopBits::OneAndHalf)
        return "1.5 stop bits are not available on this system";
    return {};
}

std::optional<PortFailure> QtSerialPort::open_device(const std::string& device,
                                                     const LineSettings& line) {
    lost = false;
#ifdef Q_OS_UNIX
    const auto claim = claim_device(device, [&](dev_t node) {
        return shared_look ? shared_look->holder_of(node)
                           : find_port_holder(proc_root, node, ::getpid());
    });
    if (const auto* refused = std::get_if<PortFailure>(&claim))
        return *refused;
    own_descriptor = std::get<int>(claim);
#endif

    auto candidate = std::make_unique<QSerialPort>();
#ifdef Q_OS_UNIX
    candidate->setPortName(qt_name_for(device, own_descriptor));
#else
    candidate->setPortName(QString::fromStdString(device));
#endif
    candidate->setBaudRate(line.speed);
    candidate->setParity(qt_parity(line.parity));
    candidate->setDataBits(static_cast<QSerialPort::DataBits>(line.data_bits));
    candidate->setStopBits(qt_stop_bits(line.stop_bits));
    candidate->setFlowControl(QSerialPort::NoFlowControl);
    if (!candidate->open(QIODevice::ReadWrite)) {
        PortFailure failure = failure_of(*candidate, device);
#ifdef Q_OS_UNIX
        // No process holds the port (see claim_device), so what Qt saw is a lock file.
        if (failure.kind == PortFailure::Kind::InUse)
            if (std::string words = stale_lock_words(candidate->portName().toStdString());
                !words.empty())
                failure = {PortFailure::Kind::Other, device, std::move(words)};
#endif
        let_go_of_device();
        return failure;
    }
#ifdef Q_OS_UNIX
    // Our hold on the device keeps every other program off it while it is open (see
    // claim_device); Qt's lock file would outlast a process that is killed and, in a shared
    // folder, keep every other user off the port until root removes it. So it goes at once.
    lock_file = qt_lock_file_of(candidate->portName().toStdString());
    if (!lock_file.empty())
        ::unlink(lock_file.c_str());
#endif
    // An open can succeed and still leave an error behind (an exclusive-use request the driver
    // does not know); it says nothing about the line.
    candidate->clearError();

    port = std::move(candidate);
    character_ms = character_time_ms(line);
    opened = true;
    return std::nullopt;
}

void QtSerialPort::close() {
    if (port && port->isOpen()) {
        // What has not left by now never will on a stalled line, and the system's close would
        // wait for it (up to half a minute on a UART): give it up instead.
        if (output_queued() > 0)
            port->clear(QSerialPort::Output);
        close_qt_port();
    }
    port.reset();
    let_go_of_device();
    received.clear();
    opened = false;
}

void QtSerialPort::let_go_of_device() {
#ifdef Q_OS_UNIX
    if (own_descriptor >= 0)
        unwatch_port(std::exchange(own_descriptor, -1));
#endif
}

bool QtSerialPort::is_open() const {
    return opened;
}

int QtSerialPort::bytes_waiting() {
    service(0);
    return static_cast<int>(std::min<std::size_t>(received.size(), INT_MAX));
}

std::vector<std::uint8_t> QtSerialPort::read_all() {
    service(0);
    return std::exchange(received, {});
}

void QtSerialPort::queue(std::span<const std::uint8_t> bytes) {
    if (!live() || bytes.empty())
        return;
    port->write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    service(0);
}

int QtSerialPort::bytes_pending() {
    service(0);
    return live() ? output_queued() : 0;
}

void QtSerialPort::wait_for_activity(int max_ms) {
    max_ms = std::max(0, max_ms);
    if (!live()) {
        // Nothing can happen on a closed or lost port; a caller that polls anyway must not spin.
        sleep_ms(max_ms);
        return;
    }
    if (take_buffered())
        return;
    int timeout = max_ms;
    // The system says nothing when its output queue drains, so wake about when it should have.
    if (const int queued = output_queued(); queued > 0)
        timeout = std::min(max_ms, std::max(1, static_cast<int>(std::ceil(queued * character_ms))));
    service(timeout);
}

bool QtSerialPort::device_lost() const {
    return lost;
}

double QtSerialPort::ms_per_character() const {
    return character_ms;
}

void QtSerialPort::begin_unbroken() {
#ifdef Q_OS_UNIX
    begin_unbroken_run();
#endif
}

void QtSerialPort::end_unbroken() {
#ifdef Q_OS_UNIX
    end_unbroken_run();
#endif
}

bool QtSerialPort::live() const {
    return port && port->isOpen() && !lost;
}

bool QtSerialPort::take_buffered() {
    if (!port || port->bytesAvailable() <= 0)
        return false;
    const QByteArray data = port->readAll();
    received.insert(received.end(), data.begin(), data.end());
    return !data.isEmpty();
}

void QtSerialPort::service(int timeout_ms) {
    if (!live())
        return;
#ifdef Q_OS_UNIX
    // Polled here rather than through waitForReadyRead, whose loop ignores hang-up events: a
    // device that went away shows in revents at once, whatever Qt's reads of it report (on a
    // hung-up pseudo-terminal Qt 6.4 reports read errors without end).
    const bool output_waits = port->bytesToWrite() > 0;
    pollfd watch{port->handle(), static_cast<short>(POLLIN | (output_waits ? POLLOUT : 0)), 0};
    if (::poll(&watch, 1, timeout_ms) > 0) {
        if (watch.revents & POLLIN) {
            port->waitForReadyRead(0);
            notice_failure();
        }
        if ((watch.revents & POLLOUT) && live()) {
            port->waitForBytesWritten(0);
            notice_failure();
        }
        if (live() && (watch.revents & (POLLHUP | POLLERR | POLLNVAL)))
            give_up_device();
    }
#else
    if (port->bytesToWrite() > 0)
        port->waitForBytesWritten(0);
    port->waitForReadyRead(timeout_ms);
    notice_failure();
#endif
    take_buffered();
}

int QtSerialPort::output_queued() {
    qint64 queued = port->bytesToWrite();
#if defined(Q_OS_UNIX) && defined(TIOCOUTQ)
    // Bytes the system took but has not put on the line yet. tcdrain would tell too, but it
    // blocks without a limit.
    int in_system = 0;
    if (::ioctl(port->handle(), TIOCOUTQ, &in_system) == 0 && in_system > 0)
        queued += in_system;
#endif
    return static_cast<int>(std::min<qint64>(queued, INT_MAX));
}

void QtSerialPort::notice_failure() {
    if (!live())
        return;
    switch (port->error()) {
    case QSerialPort::NoError:
        return;
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
        give_up_device();
        return;
    default:
        // Timeouts of the zero-length waits above, and nothing else that ends the line.
        port->clearError();
        return;
    }
}

void QtSerialPort::give_up_device() {
    take_buffered();
    // Closing at once stops Qt's notifier, which would otherwise fire again and again on the
    // dead descriptor whenever an event loop runs.
    close_qt_port();
    lost = true;
}

void QtSerialPort::close_qt_port() {
#ifdef Q_OS_UNIX
    // Qt's close removes its lock file, and complains on the program's error output when the
    // file is gone: it gets one back to remove for the moment the close takes, which a request
    // to end removes too. A file that is there already is another program's; Qt removes it
    // whatever we do. A request to end waits for the close, or is obeyed before it begins, so
    // that it never takes the file from under Qt.
    begin_unbroken_run();
    if (const std::string path = std::exchange(lock_file, {}); !path.empty()) {
        watch_lock_file(own_descriptor, path);
        const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH);
        if (file < 0) {
            unwatch_lock_file(own_descriptor);
        } else {
            const std::string pid_line = std::to_string(::getpid()) + "\n";
            [[maybe_unused]] const auto written = ::write(file, pid_line.data(), pid_line.size());
            ::close(file);
        }
    }
    port->close();
    unwatch_lock_file(own_descriptor);
    end_unbroken_run();
#else
    port->close();
#endif
}

} // namespace pds
