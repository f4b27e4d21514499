// The virtual pole display: plays the display on a pseudo-terminal, at the pace of a real
// serial line, so the utility can be tried and tested without the hardware.
#include "display_session.h"
#include "file/disk_file_store.h"
#include "inspect/describe.h"
#include "pseudo_terminal.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <optional>
#include <poll.h>
#include <time.h>
#include <unistd.h>
#include <variant>
#include <vector>

namespace {

using pds::ImageBytes;
using namespace pds::display;

volatile std::sig_atomic_t stop_requested = 0;
void request_stop(int) {
    stop_requested = 1;
}

std::int64_t now_ns() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec;
}

void say(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

[[noreturn]] void fail(const std::string& text) {
    std::fprintf(stderr, "virtual_display: %s\n", text.c_str());
    std::exit(2);
}

// One line per byte, in microseconds of the monotonic clock, which other processes share:
//   in <read> <start> <done> <hex>   a byte from the host: read, then its time on the line
//   out <written> <hex>              a byte to the host, written once its line time is over
//   drop <time>                      the line was dropped
//   gap <from> <to>                  the chatter fell silent, as a busy machine held it back
class TimingLog {
public:
    explicit TimingLog(const QString& path) {
        if (path.isEmpty())
            return;
        file = std::fopen(QFile::encodeName(path).constData(), "w");
        if (!file)
            fail("cannot write the timing log " + path.toStdString() + ": " + std::strerror(errno));
    }
    ~TimingLog() {
        if (file)
            std::fclose(file);
    }
    void received(std::int64_t read, std::int64_t start, std::int64_t done, std::uint8_t byte) {
        if (file)
            std::fprintf(file, "in %lld %lld %lld %02X\n", us(read), us(start), us(done), byte);
    }
    void sent(std::int64_t written, std::uint8_t byte) {
        if (file)
            std::fprintf(file, "out %lld %02X\n", us(written), byte);
    }
    void dropped(std::int64_t at) {
        if (file)
            std::fprintf(file, "drop %lld\n", us(at));
    }
    void gap(std::int64_t from, std::int64_t to) {
        if (file)
            std::fprintf(file, "gap %lld %lld\n", us(from), us(to));
    }
    void flush() {
        if (file)
            std::fflush(file);
    }

private:
    static long long us(std::int64_t ns) { return static_cast<long long>(ns / 1000); }
    std::FILE* file = nullptr;
};

// The display's memory file, through the store every program keeps its files with.
std::string memory_file_name(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

ImageBytes load_memory(const QString& path) {
    ImageBytes memory{};
    if (path.isEmpty() || !QFile::exists(path))
        return memory;
    // One byte past the image tells a longer file.
    const auto read = pds::DiskFileStore().read(memory_file_name(path), pds::image_size + 1);
    if (const auto* failure = std::get_if<pds::FileError>(&read))
        fail("cannot read " + memory_file_name(path) + ": " + failure->reason);
    const auto& bytes = std::get<std::vector<std::uint8_t>>(read);
    if (bytes.size() != pds::image_size) {
        std::error_code unknown;
        const auto size = bytes.size() > pds::image_size
                              ? std::filesystem::file_size(memory_file_name(path), unknown)
                              : bytes.size();
        fail(memory_file_name(path) + " holds " + std::to_string(size) + " bytes, not " +
             std::to_string(pds::image_size));
    }
    std::copy(bytes.begin(), bytes.end(), memory.begin());
    return memory;
}

void save_memory(const QString& path, const ImageBytes& memory) {
    if (path.isEmpty())
        return;
    const auto written = pds::DiskFileStore().replace(memory_file_name(path), memory);
    if (const auto* failure = std::get_if<pds::FileError>(&written))
        std::fprintf(stderr, "virtual_display: cannot store the configuration in %s: %s\n",
                     memory_file_name(path).c_str(), failure->reason.c_str());
}

struct Outgoing {
    std::int64_t due_ns;
    std::uint8_t byte;
};

class Display {
public:
    Display(const Behaviour& behaviour, const QString& memory_path, int baud, std::int64_t byte_ns,
            std::optional<int> stall_ms, bool stall_at_check, TimingLog& log,
            const QString& screen_path)
        : session(behaviour, load_memory(memory_path)), memory_path(memory_path), baud(baud),
          byte_ns(byte_ns), stall_ms(stall_ms), stall_at_check(stall_at_check), log(log),
          screen_path(screen_path) {}

    // Sends line noise without end, one byte per character time at the display's speed,
    // whatever the pacing: a line that never falls quiet.
    void chatter() { chatter_at = now_ns(); }

    int run() {
        // The device line comes first: scripts take the first line for it.
        open_line();
        show_screen(session.runtime().screen());
        sigset_t blocked;
        sigemptyset(&blocked);
        sigaddset(&blocked, SIGINT);
        sigaddset(&blocked, SIGTERM);
        sigset_t waiting;
        // The signals are let in only while waiting, so a stop never lands mid-exchange.
        ::sigprocmask(SIG_BLOCK, &blocked, &waiting);
        sigdelset(&waiting, SIGINT);
        sigdelset(&waiting, SIGTERM);

        while (!stop_requested) {
            send_due();
            send_chatter();
            if (drop_at && now_ns() >= *drop_at) {
                drop_line();
                continue;
            }
            if (release_at && now_ns() >= *release_at) {
                line.hold_host_output(false);
                release_at.reset();
                say("The line runs again.\n");
            }
            pollfd watch{line.master(), POLLIN, 0};
            timespec limit{};
            const timespec* timeout = nullptr;
            if (const auto next = next_deadline()) {
                const std::int64_t left = std::max<std::int64_t>(0, *next - now_ns());
                limit.tv_sec = static_cast<time_t>(left / 1'000'000'000);
                limit.tv_nsec = static_cast<long>(left % 1'000'000'000);
                timeout = &limit;
            }
            const int ready = ::ppoll(&watch, 1, timeout, &waiting);
            if (ready < 0 && errno != EINTR)
                fail(std::string("waiting for the host failed: ") + std::strerror(errno));
            if (ready > 0 && (watch.revents & POLLIN))
                receive();
            else if (ready > 0)
                fail("the pseudo-terminal failed");
        }
        line.drop();
        return 0;
    }

private:
    void open_line() {
        std::string reason;
        if (!line.create(reason, baud))
            fail("cannot create a pseudo-terminal: " + reason);
        say("Virtual pole display on " + line.device() + "\n");
    }

    void drop_line() {
        log.dropped(now_ns());
        log.flush();
        line.drop();
        session.line_dropped();
        outgoing.clear();
        drop_at.reset();
        received_until = sent_until = 0;
        say("The line is down; a fresh one is up.\n");
        open_line();
    }

    std::optional<std::int64_t> next_deadline() const {
        std::optional<std::int64_t> next = drop_at;
        if (release_at)
            next = next ? std::min(*next, *release_at) : release_at;
        if (!outgoing.empty())
            next = next ? std::min(*next, outgoing.front().due_ns) : outgoing.front().due_ns;
        if (chatter_at)
            next = next ? std::min(*next, *chatter_at) : chatter_at;
        return next;
    }

    // The chatter's bytes that are due. Noise that finds the host's input full is lost, as it
    // is on a real line, and said nowhere: it would be said a thousand times a second.
    void send_chatter() {
        const std::int64_t now = now_ns();
        if (!chatter_at || *chatter_at > now)
            return;
        const std::int64_t character_ns = 10'000'000'000LL / baud;
        // Held back for two characters or more, the line was quiet meanwhile: tests tell that
        // from a line that never falls quiet.
        if (now - *chatter_at >= 2 * character_ns)
            log.gap(*chatter_at, now);
        std::vector<std::uint8_t> due;
        for (; *chatter_at <= now; *chatter_at += character_ns)
            due.push_back(noise_bytes[chatter_sent++ % std::size(noise_bytes)]);
        const ssize_t written = ::write(line.master(), due.data(), due.size());
        for (ssize_t i = 0; i < written; ++i)
            log.sent(now, due[static_cast<std::size_t>(i)]);
        if (written > 0)
            log.flush();
    }

    void send_due() {
        std::vector<std::uint8_t> due;
        const std::int64_t now = now_ns();
        while (!outgoing.empty() && outgoing.front().due_ns <= now) {
            due.push_back(outgoing.front().byte);
            outgoing.pop_front();
        }
        std::size_t done = 0;
        while (done < due.size()) {
            const ssize_t n = ::write(line.master(), due.data() + done, due.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno == EAGAIN) {
                say("The host reads nothing; " + std::to_string(due.size() - done) +
                    " bytes lost.\n");
                break;
            }
            if (n < 0)
                fail(std::string("sending to the host failed: ") + std::strerror(errno));
            done += static_cast<std::size_t>(n);
        }
        const std::int64_t written = now_ns();
        for (std::size_t i = 0; i < done; ++i)
            log.sent(written, due[i]);
        if (!due.empty())
            log.flush();
    }

    void receive() {
        std::uint8_t buffer[4096];
        const std::int64_t read_at = now_ns();
        const ssize_t n = ::read(line.master(), buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            return;
        if (n <= 0)
            fail(std::string("reading from the host failed: ") + std::strerror(errno));
        // A receiver clocked at another speed than the sender's makes other bytes, framing
        // errors among them, of what it hears: never the two of a request. So the display
        // stays silent, and its half-received exchange, if any, is lost with the noise.
        if (const auto host = line.host_speed(); host && *host != baud) {
            if (!garbled_since_answer)
                say("The host sends at " + std::to_string(*host) + " bit/s, the display runs at " +
                    std::to_string(baud) + ": garbled, no answer.\n");
            garbled_since_answer = true;
            session.line_dropped();
            return;
        }
        garbled_since_answer = false;
        for (ssize_t i = 0; i < n; ++i) {
            // Bytes that came together from the system still cross the line one after another.
            const std::int64_t start = std::max(read_at, received_until);
            received_until = start + byte_ns;
            log.received(read_at, start, received_until, buffer[i]);
            act(session.receive(buffer[i], received_until / 1'000'000), received_until);
        }
        log.flush();
        show_runtime();
        // Once: the first byte gets through, the rest of the exchange stays on the host.
        if (stall_ms && !stall_at_check)
            hold_line();
    }

    // What the runtime commands of the last bytes did: the bytes not understood, each screen
    // shown on the way, and the screen as they left it.
    void show_runtime() {
        for (const auto& report : session.take_report_lines())
            say(report + "\n");
        auto& runtime = session.runtime();
        for (const auto& passing : runtime.take_passing())
            show_screen(passing);
        show_screen(runtime.screen());
    }

    // Printed and written to the screen file when it differs from what was shown last.
    void show_screen(const Screen& screen) {
        const std::string text = screen_file_text(screen, session.characters());
        const std::string heading = "screen (" + std::string(session.runtime().set_name()) + "):\n";
        if (heading + text == shown)
            return;
        shown = heading + text;
        say(shown);
        if (screen_path.isEmpty())
            return;
        const auto path = QFile::encodeName(screen_path).toStdString();
        const std::vector<std::uint8_t> bytes(text.begin(), text.end());
        const auto written = pds::DiskFileStore().replace(path, bytes);
        if (const auto* failure = std::get_if<pds::FileError>(&written))
            std::fprintf(stderr, "virtual_display: cannot write the screen to %s: %s\n",
                         path.c_str(), failure->reason.c_str());
    }

    void hold_line() {
        line.hold_host_output(true);
        release_at = now_ns() + std::int64_t{*stall_ms} * 1'000'000;
        stall_ms.reset();
        say("The line is held.\n");
    }

    void act(const Step& step, std::int64_t arrived) {
        // Stored before it is told, so whoever reads the console finds the file up to date.
        if (step.stored)
            save_memory(memory_path, session.memory());
        if (!step.note.empty())
            say(step.note + "\n");
        if (step.stored)
            for (const auto& line : pds::describe_image(session.memory()))
                say("  " + line + "\n");
        std::int64_t at =
            std::max(arrived + std::int64_t{step.reply_delay_ms} * 1'000'000, sent_until);
        const std::size_t burst_from = step.reply.size() - step.burst;
        for (std::size_t i = 0; i < step.reply.size(); ++i) {
            if (i <= burst_from)
                at += byte_ns;
            outgoing.push_back({at, step.reply[i]});
        }
        // A burst still takes its time on the line before the next answer may follow.
        if (!step.reply.empty())
            sent_until =
                at + static_cast<std::int64_t>(step.burst > 0 ? step.burst - 1 : 0) * byte_ns;
        if (step.hang_up)
            drop_at = step.reply.empty() ? arrived : at;
        // Held before the check byte goes: whatever the host sends after it waits on the host.
        if (stall_ms && stall_at_check && step.check_answer)
            hold_line();
    }

    PseudoTerminal line;
    DisplaySession session;
    QString memory_path;
    int baud;
    bool garbled_since_answer = false; // said once until bytes at the right speed come
    std::int64_t byte_ns;
    std::optional<int> stall_ms;            // hold the line after the first byte, this long
    bool stall_at_check;                    // ... after the check byte instead
    std::optional<std::int64_t> release_at; // when a held line runs again
    TimingLog& log;
    std::deque<Outgoing> outgoing;
    std::optional<std::int64_t> drop_at;
    std::int64_t received_until = 0;        // when the line from the host is free again
    std::int64_t sent_until = 0;            // when the line to the host is free again
    std::optional<std::int64_t> chatter_at; // when the next byte of chatter is due
    std::size_t chatter_sent = 0;
    QString screen_path;
    std::string shown; // the screen as printed last, with its heading
};

int number_option(const QCommandLineParser& options, const QString& name, int lowest) {
    bool ok = false;
    const int value = options.value(name).toInt(&ok);
    if (!ok || value < lowest)
        fail("--" + name.toStdString() + " needs a whole number of at least " +
             std::to_string(lowest));
    return value;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("virtual_display");

    QCommandLineParser options;
    options.setApplicationDescription(
        "Plays a pole display on a pseudo-terminal: choose the device it prints in the utility.\n"
        "Besides the configuration exchanges it carries out the runtime commands of the command "
        "set its configuration names, prints the two lines of twenty characters after each "
        "change, and reports the bytes it does not understand. Runtime commands never change "
        "the stored configuration.");
    options.addHelpOption();
    options.addOptions({
        {"memory", "Keeps the display's 126 configuration bytes in <file> (missing: all zero).",
         "file"},
        {"baud",
         "The display's own speed, <speed> bit/s (default 9600): it paces the line at it, 10 "
         "bits a byte, and answers only while the host's end of the line is set to it. At any "
         "other speed its receiver makes garbage of the host's bytes, finds no request in them "
         "and answers nothing, as a real display does.",
         "speed", "9600"},
        {"no-pacing", "Sends and takes bytes as fast as the system allows."},
        {"delay", "Waits <ms> before every answer (default 0).", "ms", "0"},
        {"timing-log", "Writes when each byte crossed the line to <file>.", "file"},
        {"silent", "Answers nothing."},
        {"wrong-check", "Answers a write request with a wrong check byte."},
        {"answer-bytes", "Answers a write request with <n> bytes, the check byte first.", "n"},
        {"short-reply", "Stops the reply to a read request after <n> bytes.", "n"},
        {"wrong-mark", "Starts the reply to a read request with 00 instead of AA."},
        {"extra-bytes", "Sends <n> zero bytes after the reply to a read request.", "n"},
        {"late", "Answers <ms> later than the delay says.", "ms"},
        {"hang-up-after",
         "Once: drops the line after <n> bytes of an exchange, both ways "
         "counted, then offers a fresh device.",
         "n"},
        {"store-other", "Stores a written configuration with its last byte changed."},
        {"trailing",
         "Sends <n> bytes of line noise (AA 55 00 FF ...) after every answer, all at once, so "
         "that no pause of a busy machine splits them.",
         "n"},
        {"stall",
         "Once: holds the line from the host for <ms> after its first byte, as flow control "
         "would.",
         "ms"},
        {"screen-file",
         "After every change of the screen, and once at the start, replaces <file> (through a "
         "temporary file renamed over it) with exactly: `|<line 1>|` and `|<line 2>|`, twenty "
         "characters each in UTF-8 through the configured code page; `brightness <XX>`, the "
         "level byte of the last brightness command in two upper-case hexadecimal digits, or "
         "`brightness default` before any; and, once a self-test ran, `self-test <count>`. "
         "Each line ends in a newline.",
         "file"},
        {"stall-at-check",
         "With --stall: the hold begins as the display answers a write request with its check "
         "byte, so that the host's 0xAA and the configuration wait on the host."},
        {"chatter",
         "Sends line noise (AA 55 00 FF ...) without end, one byte each character time at the "
         "display's speed even with --no-pacing, as a second device on the line would."},
    });
    options.process(app);

    Behaviour behaviour;
    behaviour.answer_delay_ms = number_option(options, "delay", 0);
    behaviour.silent = options.isSet("silent");
    behaviour.wrong_check = options.isSet("wrong-check");
    if (options.isSet("answer-bytes"))
        behaviour.answer_bytes = number_option(options, "answer-bytes", 1);
    if (options.isSet("short-reply"))
        behaviour.short_reply = number_option(options, "short-reply", 0);
    behaviour.wrong_mark = options.isSet("wrong-mark");
    if (options.isSet("extra-bytes"))
        behaviour.extra_bytes = number_option(options, "extra-bytes", 0);
    if (options.isSet("late"))
        behaviour.late_ms = number_option(options, "late", 0);
    if (options.isSet("hang-up-after"))
        behaviour.hang_up_after = number_option(options, "hang-up-after", 1);
    behaviour.store_other = options.isSet("store-other");
    if (options.isSet("trailing"))
        behaviour.trailing = number_option(options, "trailing", 0);

    const int baud = number_option(options, "baud", 1);
    const std::int64_t byte_ns = options.isSet("no-pacing") ? 0 : 10'000'000'000LL / baud;

    struct sigaction stop {};
    stop.sa_handler = request_stop;
    ::sigaction(SIGINT, &stop, nullptr);
    ::sigaction(SIGTERM, &stop, nullptr);

    TimingLog log(options.value("timing-log"));
    std::optional<int> stall_ms;
    if (options.isSet("stall"))
        stall_ms = number_option(options, "stall", 1);
    Display display(behaviour, options.value("memory"), baud, byte_ns, stall_ms,
                    options.isSet("stall-at-check"), log, options.value("screen-file"));
    if (options.isSet("chatter"))
        display.chatter();
    return display.run();
}
