// The vfdctl program as a script runs it, against virtual displays on pseudo-terminals.
#include "settings/option_lists.h"
#include "support/qt_application.h"
#include "support/sample_images.h"
#include "virtual_display_process.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace pds {
namespace {

namespace fs = std::filesystem;
using display::VirtualDisplayProcess;

QByteArray bytes_of(const ImageBytes& image) {
    return QByteArray(reinterpret_cast<const char*>(image.data()), image_size);
}

struct Outcome {
    int code = -1;
    std::string out;
    std::string err;
};

class VfdctlTest : public ::testing::Test {
protected:
    VfdctlTest() { testing::ensure_qt_application(); }

    Outcome vfdctl(const QStringList& arguments, int limit_ms = 30000) {
        QProcess process;
        start(process, QStringLiteral(VFDCTL_PROGRAM), arguments);
        return finish(process, limit_ms);
    }
    // A shell line in the folder, with vfdctl as "$VFDCTL".
    Outcome shell(const QString& line) {
        QProcess process;
        start(process, "/bin/sh", {"-c", line});
        return finish(process);
    }
    void start(QProcess& process, const QStringList& arguments) {
        start(process, QStringLiteral(VFDCTL_PROGRAM), arguments);
    }
    void start(QProcess& process, const QString& program, const QStringList& arguments) {
        process.setWorkingDirectory(folder.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("VFDCTL", QStringLiteral(VFDCTL_PROGRAM));
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
    }
    static Outcome finish(QProcess& process, int limit_ms = 30000) {
        if (!process.waitForFinished(limit_ms))
            ADD_FAILURE() << "vfdctl did not end";
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput().toStdString(),
                process.readAllStandardError().toStdString()};
    }

    QString path(const QString& name) const { return folder.filePath(name); }

    QString put(const QString& name, const QByteArray& bytes) {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path(name);
    }
    QString put(const QString& name, const ImageBytes& image) { return put(name, bytes_of(image)); }
    // The configuration as export prints it, in name.
    void put_json(const QString& name, const ImageBytes& image) {
        put("exported.vfd", image);
        const Outcome exported = vfdctl({"export", "exported.vfd"});
        ASSERT_EQ(exported.code, 0) << exported.err;
        put(name, QByteArray::fromStdString(exported.out));
    }
    std::string fifo(const char* name) const {
        const std::string at = path(name).toStdString();
        EXPECT_EQ(::mkfifo(at.c_str(), 0600), 0);
        return at;
    }
    // A null device of the test's own when root may make one, so a fault costs no system
    // device; others cannot replace /dev/null in any case.
    std::string null_device() const {
        if (::geteuid() != 0)
            return "/dev/null";
        const std::string at = path("null").toStdString();
        EXPECT_EQ(::mknod(at.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
        return at;
    }
    QByteArray contents(const QString& name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    ImageBytes image_in(const QString& name) const {
        const QByteArray bytes = contents(name);
        ImageBytes image{};
        EXPECT_EQ(bytes.size(), image_size) << name.toStdString();
        std::copy_n(bytes.begin(), std::min<qsizetype>(bytes.size(), image_size), image.begin());
        return image;
    }

    // A display on a fresh pseudo-terminal, holding `memory`, paced only where it matters.
    std::unique_ptr<VirtualDisplayProcess> display(QStringList options = {},
                                                   const ImageBytes& memory = {}) {
        options << "--no-pacing";
        auto started = std::make_unique<VirtualDisplayProcess>(options, memory);
        EXPECT_TRUE(started->started());
        return started;
    }
    static QString device(const std::unique_ptr<VirtualDisplayProcess>& d) {
        return QString::fromStdString(d->device());
    }
    static int stores(VirtualDisplayProcess& d) {
        return static_cast<int>(d.output().count("Stored a new configuration"));
    }

    QTemporaryDir folder;
};

TEST_F(VfdctlTest, ReadPutsTheDisplaysBytesInAFile) {
    const auto d = display({}, samples::odd_image());
    const QString port = device(d);
    const Outcome at_9600 = vfdctl({"read", "--port", port, "-o", "a.vfd"});
    EXPECT_EQ(at_9600.code, 0) << at_9600.err;
    EXPECT_EQ(at_9600.out, port.toStdString() + ": read at 9600 bit/s into a.vfd\n");
    EXPECT_EQ(image_in("a.vfd"), samples::odd_image());

    const Outcome automatic = vfdctl({"read", "--baud", "auto", "--port", port, "-o", "b.vfd"});
    EXPECT_EQ(automatic.code, 0) << automatic.err;
    EXPECT_EQ(automatic.out, port.toStdString() + ": 9600 bit/s answered; read into b.vfd\n");
    EXPECT_EQ(image_in("b.vfd"), samples::odd_image());
}

TEST_F(VfdctlTest, ReadOfSeveralDisplaysPairsEachPortWithItsFile) {
    const auto a = display({}, samples::factory_image());
    const auto b = display({}, samples::counting_image());
    const Outcome run =
        vfdctl({"read", "--port", device(a), "--port", device(b), "-o", "a.vfd", "-o", "b.vfd"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, a->device() + ": read at 9600 bit/s into a.vfd\n" + b->device() +
                           ": read at 9600 bit/s into b.vfd\n");
    EXPECT_EQ(image_in("a.vfd"), samples::factory_image());
    EXPECT_EQ(image_in("b.vfd"), samples::counting_image());
}

TEST_F(VfdctlTest, WriteVerifiesAndLeavesAnIdenticalDisplayAlone) {
    const auto d = display({}, samples::factory_image());
    const QString port = device(d);
    const std::string named = port.toStdString() + ": ";
    put("odd.vfd", samples::odd_image());

    const Outcome first = vfdctl({"write", "odd.vfd", "--port", port});
    EXPECT_EQ(first.code, 0) << first.err;
    EXPECT_EQ(first.out, named + "written and verified at 9600 bit/s\n");
    EXPECT_EQ(d->memory(), samples::odd_image());
    EXPECT_EQ(stores(*d), 1);

    const Outcome again = vfdctl({"write", "odd.vfd", "--port", port});
    EXPECT_EQ(again.code, 0) << again.err;
    EXPECT_EQ(again.out, named + "already holds these settings at 9600 bit/s; nothing written\n");
    EXPECT_EQ(stores(*d), 1) << "no write cycle spent";

    const Outcome forced = vfdctl({"write", "odd.vfd", "--port", port, "--force", "--no-verify"});
    EXPECT_EQ(forced.code, 0) << forced.err;
    EXPECT_EQ(forced.out, named + "written at 9600 bit/s; not verified\n");
    EXPECT_TRUE(d->wait_for_output("Stored a new configuration", 2000, 2));
    EXPECT_EQ(d->memory(), samples::odd_image());
}

TEST_F(VfdctlTest, WriteGetsPastNoiseTrailingTheReadBeforeIt) {
    // Paced, so the noise after the read's reply is still coming in when the write begins.
    VirtualDisplayProcess d({"--trailing", "40"}, samples::factory_image());
    ASSERT_TRUE(d.started());
    put("odd.vfd", samples::odd_image());
    const Outcome run = vfdctl({"write", "odd.vfd", "--port", QString::fromStdString(d.device())});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, d.device() + ": written and verified at 9600 bit/s\n");
    EXPECT_EQ(d.memory(), samples::odd_image());
}

TEST_F(VfdctlTest, DisplayThatStoresSomethingElseFailsTheVerify) {
    const auto d = display({"--store-other"}, samples::factory_image());
    const std::string named = d->device() + ": ";
    put("odd.vfd", samples::odd_image());
    const Outcome run = vfdctl({"write", "odd.vfd", "--port", device(d)});
    EXPECT_EQ(run.code, 8);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, named +
                           "written at 9600 bit/s, but the display reads back other settings "
                           "(written -> read back):\n" +
                           named + "  reserved_tail: 00 00 00 01 -> 00 00 00 FE\n");
}

TEST_F(VfdctlTest, DisplayFaultsHaveTheirOwnStatus) {
    put("odd.vfd", samples::odd_image());
    const struct {
        QStringList fault;
        QStringList command;
        int code;
        std::string message;
    } cases[] = {
        {{"--wrong-check"},
         {"write", "odd.vfd"},
         6,
         "wrong check byte at 9600 bit/s; refused with 0x55, nothing written"},
        {{"--wrong-mark"},
         {"read", "-o", "x.vfd"},
         7,
         "bad reply at 9600 bit/s: it starts with 0x00, not 0xAA"},
        {{"--wrong-mark"},
         {"write", "odd.vfd"},
         7,
         "not written: the read before the write failed: bad reply at 9600 bit/s: it starts "
         "with 0x00, not 0xAA"},
        {{"--hang-up-after", "60"},
         {"read", "-o", "x.vfd"},
         9,
         "the device went away during the read at 9600 bit/s"},
        {{"--hang-up-after", "8"},
         {"write", "odd.vfd", "--force"},
         9,
         "the device went away during the write at 9600 bit/s"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault.join(' ').toStdString() + " / " + c.command.join(' ').toStdString());
        const auto d = display(c.fault, samples::factory_image());
        const Outcome run = vfdctl(c.command + QStringList{"--port", device(d)});
        EXPECT_EQ(run.code, c.code);
        EXPECT_EQ(run.err, d->device() + ": " + c.message + "\n");
        EXPECT_EQ(run.out, "");
        EXPECT_FALSE(QFile::exists(path("x.vfd")));
        EXPECT_EQ(d->memory(), samples::factory_image());
    }
}

TEST_F(VfdctlTest, PortThatCannotBeOpenedNamesTheSystemsReason) {
    const Outcome run = vfdctl({"read", "--port", "/dev/ttyUSB-not-there", "-o", "x.vfd"});
    EXPECT_EQ(run.code, 4);
    EXPECT_EQ(run.err, "/dev/ttyUSB-not-there: cannot open /dev/ttyUSB-not-there: No such file "
                       "or directory\n");
    EXPECT_FALSE(QFile::exists(path("x.vfd")));

    const std::string file = put("notes.txt", QByteArray("not a port")).toStdString();
    const Outcome regular = vfdctl({"read", "--port", QString::fromStdString(file), "-o", "x.vfd"});
    EXPECT_EQ(regular.code, 4);
    EXPECT_EQ(regular.err,
              file + ": cannot open " + file + ": not a serial port but a regular file\n");
    EXPECT_FALSE(QFile::exists(path("x.vfd")));
}

TEST_F(VfdctlTest, PortInUseUnderAnotherNameIsRefused) {
    // The first vfdctl waits for a silent display's answer; the second finds the device taken,
    // although by another name, which Qt's lock file alone would not see.
    const auto d = display({"--silent"}, samples::factory_image());
    QProcess first;
    start(first, {"read", "--port", device(d), "-o", "first.vfd"});
    ASSERT_TRUE(d->wait_for_output("Read request: left unanswered", 10000));
    const QString other_name = "/dev/" + device(d).mid(QString("/dev").size());
    const Outcome second = vfdctl({"read", "--port", other_name, "-o", "x.vfd"});
    EXPECT_EQ(second.code, 4);
    EXPECT_EQ(second.err, other_name.toStdString() + ": cannot open " + other_name.toStdString() +
                              ": another program is using this port: vfdctl (process " +
                              std::to_string(first.processId()) + ")\n");
    EXPECT_FALSE(QFile::exists(path("x.vfd")));
    EXPECT_EQ(finish(first).code, 5);
    EXPECT_EQ(d->output().count("Read request"), 1) << "the second never reached the display";
}

TEST_F(VfdctlTest, APortAnotherProgramHoldsIsNamedByReadAndSkippedByFind) {
    // A program that keeps the port open without a lock or exclusive use: `sleep` reading it.
    const auto d = display({}, samples::factory_image());
    QProcess holder;
    holder.setStandardInputFile(device(d));
    holder.start("sleep", {"60"});
    ASSERT_TRUE(holder.waitForStarted());
    const std::string held = "another program is using this port: sleep (process " +
                             std::to_string(holder.processId()) + ")";

    const Outcome read = vfdctl({"read", "--port", device(d), "-o", "x.vfd"});
    EXPECT_EQ(read.code, 4);
    EXPECT_EQ(read.err, d->device() + ": cannot open " + d->device() + ": " + held + "\n");
    const Outcome find = vfdctl({"find", "--port", device(d)});
    EXPECT_EQ(find.code, 5);
    EXPECT_EQ(find.out, d->device() + ": no display: " + held + "\n");
    EXPECT_FALSE(d->output().contains("Read request")) << "nothing was sent to the display";
    holder.kill();
    holder.waitForFinished();

    const Outcome after = vfdctl({"read", "--port", device(d), "-o", "x.vfd"});
    EXPECT_EQ(after.code, 0) << after.err;
}

#ifdef TIOCEXCL
TEST_F(VfdctlTest, AnExclusivePortIsRefusedToRootToo) {
    const auto d = display({}, samples::factory_image());
    const int holder = ::open(d->device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::ioctl(holder, TIOCEXCL), 0);

    const Outcome read = vfdctl({"read", "--port", device(d), "-o", "x.vfd"});
    EXPECT_EQ(read.code, 4);
    EXPECT_NE(read.err.find(": another program is using this port: "), std::string::npos)
        << read.err;
    EXPECT_NE(read.err.find("(process " + std::to_string(::getpid()) + ")"), std::string::npos)
        << read.err;
    EXPECT_FALSE(d->output().contains("Read request")) << "nothing was sent to the display";
    ::ioctl(holder, TIOCNXCL);
    ::close(holder);
}
#endif

TEST_F(VfdctlTest, OneDeviceUnderTwoNamesIsRefusedBeforeAnyPortIsOpened) {
    const auto d = display({}, samples::factory_image());
    const QString link = path("display");
    ASSERT_TRUE(QFile::link(device(d), link));
    const QString doubled = "/dev/" + device(d).mid(QString("/dev").size());
    const struct {
        QStringList arguments;
        std::string message;
    } cases[] = {
        {{"read", "--port", device(d), "--port", doubled, "-o", "a.vfd", "-o", "b.vfd"},
         "the ports " + d->device() + " and " + doubled.toStdString() + " are the same device"},
        {{"show", "--port", link, "--port", device(d)},
         "the ports " + link.toStdString() + " and " + d->device() + " are the same device"},
        {{"diff", "port:" + device(d), "port:" + link},
         "the ports " + d->device() + " and " + link.toStdString() + " are the same device"},
        {{"write", "odd.vfd", "--port", "Com 1", "--port", "/dev/ttyS0"},
         "the ports Com 1 and /dev/ttyS0 are the same device"},
    };
    put("odd.vfd", samples::odd_image());
    for (const auto& c : cases) {
        const Outcome run = vfdctl(c.arguments);
        EXPECT_EQ(run.code, 2) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(run.err, "vfdctl: " + c.message + "\nTry \"vfdctl --help\".\n");
    }
    EXPECT_FALSE(QFile::exists(path("a.vfd")) || QFile::exists(path("b.vfd")));
    EXPECT_EQ(d->output().count("request"), 0) << "nothing reached the display";
    EXPECT_EQ(d->memory(), samples::factory_image());
}

TEST_F(VfdctlTest, FourDisplaysAreWrittenAtOnce) {
    std::vector<std::unique_ptr<VirtualDisplayProcess>> bench;
    QStringList arguments{"write", "odd.vfd"};
    std::string expected;
    for (int i = 0; i < 4; ++i) {
        bench.push_back(display({}, samples::factory_image()));
        arguments << "--port" << device(bench.back());
        expected += bench.back()->device() + ": written and verified at 9600 bit/s\n";
    }
    put("odd.vfd", samples::odd_image());
    const Outcome run = vfdctl(arguments);
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, expected) << "one line per display, in the order given";
    for (const auto& d : bench)
        EXPECT_EQ(d->memory(), samples::odd_image());
}

TEST_F(VfdctlTest, EachPortOfABenchStandsAlone) {
    // A silent display and one that refuses the check byte do not hold up the others; the
    // status is the first failure in the order given.
    const auto good = display({}, samples::factory_image());
    const auto silent = display({"--silent"}, samples::factory_image());
    const auto refusing = display({"--wrong-check"}, samples::factory_image());
    put("odd.vfd", samples::odd_image());
    const Outcome run = vfdctl({"write", "odd.vfd", "--no-verify", "--port", device(refusing),
                                "--port", device(silent), "--port", device(good)});
    EXPECT_EQ(run.code, 6);
    EXPECT_EQ(run.out, good->device() + ": written at 9600 bit/s; not verified\n");
    EXPECT_EQ(run.err,
              refusing->device() +
                  ": wrong check byte at 9600 bit/s; refused with 0x55, nothing written\n" +
                  silent->device() +
                  ": not written: the read before the write failed: no answer within 2000 ms "
                  "at 9600 bit/s\n");
    EXPECT_EQ(good->memory(), samples::odd_image());
    EXPECT_EQ(silent->memory(), samples::factory_image());
    EXPECT_EQ(refusing->memory(), samples::factory_image());
}

TEST_F(VfdctlTest, ShowDescribesAFileOrEachDisplay) {
    put("factory.vfd", samples::factory_image());
    const Outcome file = vfdctl({"show", "factory.vfd"});
    EXPECT_EQ(file.code, 0) << file.err;
    EXPECT_NE(file.out.find("\ncommand_set: 1 \"EPSON (Default)\"\n"), std::string::npos);

    const auto a = display({}, samples::factory_image());
    const auto b = display({}, samples::odd_image());
    const Outcome one = vfdctl({"show", "--port", device(a)});
    EXPECT_EQ(one.code, 0) << one.err;
    EXPECT_EQ(one.out, file.out);

    const Outcome two = vfdctl({"show", "--port", device(a), "--port", device(b)});
    EXPECT_EQ(two.code, 0) << two.err;
    EXPECT_NE(two.out.find(a->device() + ": command_set: 1 \"EPSON (Default)\"\n"),
              std::string::npos);
    EXPECT_NE(two.out.find(b->device() + ": command_set: 9 \"LogicControl\"\n"), std::string::npos);
    EXPECT_NE(two.out.find(b->device() + ":   #####\n"), std::string::npos);
}

// Line 1 starts with a letter of known dots; line 2 ends in a code without a glyph.
ImageBytes preview_image() {
    ImageBytes image = samples::factory_image();
    at_position(image, position::welcome_line1) = 'A';
    at_position(image, position::welcome_line2 + 39) = 0x7F;
    return image;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "the last line is not ended";
    return lines;
}

// A code page byte past the list: one line says there is no page to draw in, not a line for
// each of the 60 cells; the file is shown all the same, as show shows any byte out of its list.
TEST_F(VfdctlTest, ShowPreviewOfACodePageThatNamesNoEntrySaysSoOnce) {
    const int entries = static_cast<int>(char_entries.size());
    for (const int code_page : {entries - 1, entries, 255}) {
        SCOPED_TRACE(code_page);
        ImageBytes image = preview_image();
        for (int cell = 0; cell < 20; ++cell)
            at_position(image, position::welcome_line1 + cell) = ' ';
        for (int cell = 0; cell < 40; ++cell)
            at_position(image, position::welcome_line2 + cell) = ' ';
        at_position(image, position::code_page) = static_cast<std::uint8_t>(code_page);
        put("page.vfd", image);
        for (const QStringList& style : {QStringList{}, QStringList{"--ascii"}}) {
            const Outcome run = vfdctl(QStringList{"show", "--preview", "page.vfd"} + style);
            EXPECT_EQ(run.code, 0) << run.err;
            EXPECT_EQ(run.err, "");
            if (code_page < entries)
                EXPECT_EQ(lines_of(run.out).size(), style.isEmpty() ? 3u * 2 + 2 : 3u * 7 + 2);
            else
                EXPECT_EQ(run.out, "code page " + std::to_string(code_page) +
                                       " names no entry: no preview\n");
        }
    }
}

TEST_F(VfdctlTest, ShowPreviewDrawsTheWelcomeLinesInDots) {
    put("preview.vfd", preview_image());
    const Outcome ascii = vfdctl({"show", "--preview", "--ascii", "preview.vfd"});
    EXPECT_EQ(ascii.code, 0) << ascii.err;
    EXPECT_EQ(ascii.err, "");
    const auto lines = lines_of(ascii.out);
    ASSERT_EQ(lines.size(), 3u * 7 + 2 + 1);
    const char* const letter_a[] = {".##..", "#..#.", "#..#.", "####.", "#..#.", "#..#.", "....."};
    for (int r = 0; r < 7; ++r) {
        EXPECT_EQ(lines[r].substr(0, 6), std::string(letter_a[r]) + ' ') << r;
        EXPECT_EQ(lines[r].size(), 20u * 6 - 1);
    }
    EXPECT_EQ(lines[7], "");
    EXPECT_EQ(lines[15], "");
    EXPECT_EQ(lines[22].substr(lines[22].size() - 5), "#.#.#"); // the hatched last cell
    EXPECT_EQ(lines[23], "line 2, cell 40: \"\\x7F\" has no glyph; drawn hatched");

    const Outcome braille = vfdctl({"show", "--preview", "preview.vfd"});
    EXPECT_EQ(braille.code, 0) << braille.err;
    EXPECT_EQ(braille.out.rfind("\u28CE\u28F1\u2800", 0), 0u) << braille.out; // A
    EXPECT_EQ(lines_of(braille.out).size(), 3u * 2 + 2 + 1);

    const auto d = display({}, preview_image());
    const Outcome port = vfdctl({"show", "--preview", "--port", device(d)});
    EXPECT_EQ(port.code, 0) << port.err;
    EXPECT_EQ(port.out, braille.out);
    const Outcome port_ascii = vfdctl({"show", "--port", device(d), "--preview", "--ascii"});
    EXPECT_EQ(port_ascii.code, 0) << port_ascii.err;
    EXPECT_EQ(port_ascii.out, ascii.out);
}

TEST_F(VfdctlTest, DiffComparesFilesAndDisplaysFieldByField) {
    put("factory.vfd", samples::factory_image());
    put("copy.vfd", samples::factory_image());
    ImageBytes changed = samples::factory_image();
    at_position(changed, position::command_set) = 7;
    at_position(changed, position::reserved_1) = 0x5A;
    const auto d = display({}, changed);
    const std::string port = "port:" + d->device();

    const Outcome same = vfdctl({"diff", "factory.vfd", "copy.vfd"});
    EXPECT_EQ(same.code, 0) << same.err;
    EXPECT_EQ(same.out, "factory.vfd and copy.vfd hold the same settings\n");

    const Outcome different = vfdctl({"diff", "factory.vfd", QString::fromStdString(port)});
    EXPECT_EQ(different.code, 1) << different.err;
    EXPECT_EQ(different.out, "command_set: 1 \"EPSON (Default)\" -> 7 \"CD5220\"\n"
                             "reserved_1: 0x00 -> 0x5A\n"
                             "factory.vfd and " +
                                 port + " differ in 2 fields\n");

    const Outcome quiet = vfdctl({"diff", QString::fromStdString(port), "factory.vfd", "-q"});
    EXPECT_EQ(quiet.code, 1);
    EXPECT_EQ(quiet.out, "");
}

TEST_F(VfdctlTest, ExportThenImportGivesBackTheFile) {
    put("odd.vfd", samples::odd_image());
    const Outcome exported = vfdctl({"export", "odd.vfd"});
    ASSERT_EQ(exported.code, 0) << exported.err;
    put("odd.json", QByteArray::fromStdString(exported.out));
    const Outcome imported = vfdctl({"import", "odd.json", "-o", "back.vfd"});
    EXPECT_EQ(imported.code, 0) << imported.err;
    EXPECT_EQ(imported.out, "wrote back.vfd\n");
    EXPECT_EQ(contents("back.vfd"), contents("odd.vfd"));
}

TEST_F(VfdctlTest, ImportRefusesBadInputAndWritesNothing) {
    put("odd.vfd", samples::odd_image());
    QByteArray json = QByteArray::fromStdString(vfdctl({"export", "odd.vfd"}).out);
    json.replace("\"code\": 9", "\"code\": 12");
    put("bad.json", json);
    put("kept.vfd", samples::factory_image());

    for (const char* target : {"new.vfd", "kept.vfd"}) {
        const Outcome run = vfdctl({"import", "bad.json", "-o", target});
        EXPECT_EQ(run.code, 3);
        EXPECT_EQ(run.err, "vfdctl: bad.json: command_set.code: 12 names none of the 10 entries "
                           "of its list; nothing written\n");
    }
    EXPECT_FALSE(QFile::exists(path("new.vfd")));
    EXPECT_EQ(image_in("kept.vfd"), samples::factory_image());
}

TEST_F(VfdctlTest, BadFileIsRefusedBeforeAnyPortIsOpened) {
    // The port does not exist: a status of 4 would mean the port came first.
    ImageBytes bad_code = samples::factory_image();
    at_position(bad_code, position::command_set) = 12;
    put("bad_code.vfd", bad_code);
    put("short.vfd", QByteArray(100, 0));
    const struct {
        QStringList command;
        std::string message;
    } cases[] = {
        {{"write", "short.vfd", "--port", "/dev/ttyUSB-not-there"},
         "short.vfd: holds 100 bytes; a settings file holds 126"},
        {{"write", "bad_code.vfd", "--port", "/dev/ttyUSB-not-there"},
         "bad_code.vfd: command_set: 12 names none of the 10 entries of its list"},
        {{"write", "missing.vfd", "--port", "/dev/ttyUSB-not-there"},
         "missing.vfd: cannot read: No such file or directory"},
        {{"export", "bad_code.vfd"},
         "bad_code.vfd: command_set: 12 names none of the 10 entries of its list"},
        {{"show", "short.vfd"}, "short.vfd: holds 100 bytes; a settings file holds 126"},
        {{"diff", "short.vfd", "bad_code.vfd"},
         "short.vfd: holds 100 bytes; a settings file holds 126"},
    };
    for (const auto& c : cases) {
        const Outcome run = vfdctl(c.command);
        EXPECT_EQ(run.code, 3) << c.command.join(' ').toStdString();
        EXPECT_EQ(run.err, "vfdctl: " + c.message + "\n");
    }

    // Show only describes: it points at the code the window would refuse.
    const Outcome shown = vfdctl({"show", "bad_code.vfd"});
    EXPECT_EQ(shown.code, 0);
    EXPECT_NE(shown.out.find("command_set: 12 (names no entry)\n"), std::string::npos);
}

TEST_F(VfdctlTest, BadArgumentsAreRefusedWithStatus2) {
    put("a.vfd", samples::factory_image());
    const QStringList cases[] = {
        {},
        {"frob"},
        {"read", "-o", "x.vfd"},
        {"read", "--port", "/dev/a", "--port", "/dev/b", "-o", "x.vfd"},
        {"read", "--port", "/dev/a", "-o", "x.vfd", "--force"},
        {"read", "--port", "/dev/a", "--port", "/dev/a", "-o", "x.vfd", "-o", "y.vfd"},
        {"read", "--port", "/dev/a", "--port", "/dev/b", "-o", "x.vfd", "-o", "./x.vfd"},
        {"write", "a.vfd", "--port", "/dev/a", "--baud", "4800"},
        {"write", "--port", "/dev/a"},
        {"show", "a.vfd", "--port", "/dev/a"},
        {"diff", "a.vfd"},
        {"diff", "a.vfd", "port:"},
        {"export", "a.vfd", "--port", "/dev/a"},
        {"import", "a.json"},
        {"show", "a.vfd", "--colour"},
        {"read", "--port", "", "-o", "x.vfd"},
        {"show", "--port", "Com 9"},
        {"write", "a.vfd", "--port", "ttyUSB0"},
        {"diff", "a.vfd", "port:Com 9"},
        {"diff", "port:/dev/a", "port:/dev/./a"},
        {"write", "a.vfd", "--port", "/dev/a", "--preview"},
        {"diff", "a.vfd", "a.vfd", "--preview"},
        {"export", "a.vfd", "--ascii"},
        {"show", "a.vfd", "--ascii"},
    };
    for (const auto& arguments : cases) {
        const Outcome run = vfdctl(arguments);
        EXPECT_EQ(run.code, 2) << arguments.join(' ').toStdString();
        EXPECT_EQ(run.err.rfind("vfdctl: ", 0), 0u) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(vfdctl({"diff", "a.vfd", "a.vfd", "--preview"}).err,
              "vfdctl: --preview does not apply to diff\nTry \"vfdctl --help\".\n");
    // Two names of one file, one of them a link, before any port is opened.
    std::filesystem::create_symlink("shop.vfd", path("link.vfd").toStdString());
    EXPECT_EQ(vfdctl({"read", "--port", "/dev/a", "--port", "/dev/b", "-o", "link.vfd", "-o",
                      "./shop.vfd"})
                  .err,
              "vfdctl: the -o files link.vfd and ./shop.vfd are the same file\nTry \"vfdctl "
              "--help\".\n");
}

TEST_F(VfdctlTest, QuietLeavesOnlyErrors) {
    const auto d = display({}, samples::factory_image());
    const Outcome read = vfdctl({"read", "--port", device(d), "-o", "a.vfd", "--quiet"});
    EXPECT_EQ(read.code, 0);
    EXPECT_EQ(read.out + read.err, "");
    EXPECT_EQ(image_in("a.vfd"), samples::factory_image());

    const Outcome failed = vfdctl({"show", "missing.vfd", "-q"});
    EXPECT_EQ(failed.code, 3);
    EXPECT_EQ(failed.err, "vfdctl: missing.vfd: cannot read: No such file or directory\n");
}

TEST_F(VfdctlTest, HelpListsEveryExitStatus) {
    const Outcome run = vfdctl({"--help"});
    EXPECT_EQ(run.code, 0);
    for (const char* line :
         {"  0  success", "  1  diff: the configurations differ", "  2  bad arguments",
          "  3  a file cannot", "  4  the port cannot be opened", "  5  the display did not answer",
          "  6  the display's check byte was wrong", "  7  the display's reply was short",
          "  8  the display reads back other settings", "  9  the device went away",
          "  129, 130, 143  ended by SIGHUP, SIGINT (Ctrl-C) or SIGTERM",
          "An interruption never leaves a display with part of a configuration"})
        EXPECT_NE(run.out.find(line), std::string::npos) << line;
}

TEST_F(VfdctlTest, OutputDashIsStandardOutputAndTheReportGoesToStandardError) {
    put_json("odd.json", samples::odd_image());
    const Outcome imported = vfdctl({"import", "odd.json", "-o", "-"});
    EXPECT_EQ(imported.code, 0) << imported.err;
    EXPECT_EQ(QByteArray::fromStdString(imported.out), bytes_of(samples::odd_image()));
    EXPECT_EQ(imported.err, "wrote standard output\n");

    const auto d = display({}, samples::factory_image());
    const Outcome read = vfdctl({"read", "--port", device(d), "-o", "-"});
    EXPECT_EQ(read.code, 0) << read.err;
    EXPECT_EQ(QByteArray::fromStdString(read.out), bytes_of(samples::factory_image()));
    EXPECT_EQ(read.err, d->device() + ": read at 9600 bit/s into standard output\n");
}

TEST_F(VfdctlTest, DevicesAndFifosAreWrittenInPlaceAndStayWhatTheyAre) {
    put_json("odd.json", samples::odd_image());
    const std::string null = null_device();
    const std::string linked = path("to-null").toStdString();
    fs::create_symlink(null, linked);
    for (const std::string& target : {null, linked}) {
        const auto kind = fs::symlink_status(target).type();
        const Outcome run = vfdctl({"import", "odd.json", "-o", QString::fromStdString(target)});
        EXPECT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(run.out, "wrote " + target + "\n");
        EXPECT_EQ(fs::symlink_status(target).type(), kind) << target;
    }
    EXPECT_EQ(fs::status(null).type(), fs::file_type::character);

    // The reader waits on the FIFO before vfdctl comes, and gets the file. It opens without
    // blocking, so a FIFO replaced by a plain file fails the test instead of hanging it.
    const std::string pipe = fifo("pipe");
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const Outcome run = vfdctl({"import", "odd.json", "-o", "pipe"});
    QByteArray got(300, 0);
    got.resize(std::max<ssize_t>(0, ::read(reader, got.data(), got.size())));
    ::close(reader);
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(got, bytes_of(samples::odd_image()));
    EXPECT_EQ(fs::symlink_status(pipe).type(), fs::file_type::fifo);
}

TEST_F(VfdctlTest, DevStdoutAppendsToTheLogTheShellOpened) {
    put_json("odd.json", samples::odd_image());
    put("log", QByteArray("earlier lines\n"));
    const Outcome run = shell("\"$VFDCTL\" import odd.json -o /dev/stdout >> log");
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(contents("log"),
              "earlier lines\n" + bytes_of(samples::odd_image()) + "wrote /dev/stdout\n");
}

// Standard output on sinks of the test's own that take nothing, for root too: a file under a
// size limit the shell sets for vfdctl alone (0 blocks takes nothing; 2 takes 1 KiB of the
// JSON's 6 and refuses the rest), and, for the commands that open ports (whose lock files the
// limit would refuse too), a pipe nobody reads, with SIGPIPE ignored as many runners leave it.
TEST_F(VfdctlTest, OutputThatDoesNotReachStandardOutputFailsWithStatus3) {
    const auto d = display({}, samples::factory_image());
    put("a.vfd", samples::factory_image());
    put("b.vfd", samples::odd_image());
    put_json("odd.json", samples::odd_image());
    const QString port = device(d);
    const QString null = QString::fromStdString(null_device());
    const QString closed_pipe = "mkfifo pipe && exec 4<>pipe 5>pipe 4<&- && trap '' PIPE && "
                                "exec \"$VFDCTL\" %1 >&5";
    const QString limit = "ulimit -f %2; exec \"$VFDCTL\" %1 > out";
    const struct {
        QString command;
        QString sink;
        int blocks;
        const char* reason;
    } cases[] = {
        {"export a.vfd", limit, 0, "File too large"},
        {"export a.vfd", limit, 2, "File too large"},
        {"export --json a.vfd", limit, 0, "File too large"},
        {"show a.vfd", limit, 0, "File too large"},
        {"show --preview a.vfd", limit, 0, "File too large"},
        {"diff a.vfd b.vfd", limit, 0, "File too large"}, // status 1 without the limit
        {"import odd.json -o -", limit, 0, "File too large"},
        {"ports", limit, 0, "File too large"},
        {"--help", limit, 0, "File too large"},
        {"show --port " + port, closed_pipe, 0, "Broken pipe"},
        {"find --port " + port, closed_pipe, 0, "Broken pipe"},
        {"read --json --port " + port + " -o " + null, closed_pipe, 0, "Broken pipe"},
    };
    for (const auto& c : cases) {
        QFile::remove(path("pipe"));
        QFile::remove(path("out"));
        const Outcome run = shell(c.sink.arg(c.command).arg(c.blocks));
        const std::string what =
            (c.sink == limit ? "under " + std::to_string(c.blocks) + " blocks: "
                             : "into a pipe nobody reads: ") +
            c.command.toStdString();
        EXPECT_EQ(run.code, 3) << what << ": " << run.err;
        EXPECT_TRUE(run.err.ends_with(std::string("vfdctl: standard output: cannot write: ") +
                                      c.reason + "\n"))
            << what << ": " << run.err;
        if (c.sink == limit) {
            EXPECT_EQ(contents("out").size(), c.blocks * 512) << what;
        }
    }
    // The display was read each time, and the sinks are what failed, not the commands.
    const Outcome unlimited = shell("\"$VFDCTL\" show --port " + port + " > out");
    EXPECT_EQ(unlimited.code, 0) << unlimited.err;
    EXPECT_EQ(unlimited.err, "");
}

TEST_F(VfdctlTest, SymbolicLinkToAFileStaysALink) {
    put_json("odd.json", samples::odd_image());
    put("shop.vfd", samples::factory_image());
    fs::create_symlink("shop.vfd", path("current.vfd").toStdString());
    const Outcome run = vfdctl({"import", "odd.json", "-o", "current.vfd"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_TRUE(fs::is_symlink(path("current.vfd").toStdString()));
    EXPECT_EQ(image_in("shop.vfd"), samples::odd_image());
}

TEST_F(VfdctlTest, InputThatIsNoRegularFileIsRefusedUnopened) {
    // Nothing ever writes to the FIFO: opening it to read would wait for good.
    fifo("pipe");
    put("a.vfd", samples::factory_image());
    const QStringList commands[] = {
        {"import", "pipe", "-o", "x.vfd"},
        {"write", "pipe", "--port", "/dev/ttyUSB-not-there"},
        {"show", "pipe"},
        {"diff", "a.vfd", "pipe"},
        {"export", "pipe"},
    };
    for (const auto& command : commands) {
        const Outcome run = vfdctl(command, 10000);
        EXPECT_EQ(run.code, 3) << command.join(' ').toStdString();
        EXPECT_EQ(run.err, "vfdctl: pipe: cannot read: Not a regular file\n");
    }
    // A device that never ends is refused the same way.
    const Outcome zero = vfdctl({"show", "/dev/zero"}, 10000);
    EXPECT_EQ(zero.code, 3);
    EXPECT_EQ(zero.err, "vfdctl: /dev/zero: cannot read: Not a regular file\n");
    EXPECT_FALSE(QFile::exists(path("x.vfd")));
}

TEST_F(VfdctlTest, ImportRefusesOversizedTextAndKeysGivenTwice) {
    put_json("odd.json", samples::odd_image());
    const QByteArray json = contents("odd.json");
    put("big.json", json + QByteArray(2 << 20, ' '));
    QByteArray twice = json;
    put("twice.json", twice.replace("{\n", "{\n    \"reserved_1\": 0,\n"));
    put("kept.vfd", samples::factory_image());
    const struct {
        const char* file;
        std::string message;
    } cases[] = {
        {"big.json", "big.json: is larger than 1 MiB, which no configuration needs"},
        {"twice.json", "twice.json: reserved_1: is given twice"},
    };
    for (const auto& c : cases) {
        const Outcome run = vfdctl({"import", c.file, "-o", "kept.vfd"});
        EXPECT_EQ(run.code, 3) << c.file;
        EXPECT_EQ(run.err, "vfdctl: " + c.message + "; nothing written\n");
    }
    EXPECT_EQ(image_in("kept.vfd"), samples::factory_image());
}

TEST_F(VfdctlTest, MessagesEscapeWhatTheyEcho) {
    put("a.vfd", samples::factory_image());
    put("evil.json", "{\"\\u001b]0;owned\\u0007\": 1}");
    const struct {
        QStringList arguments;
        int code;
        std::string err;
    } cases[] = {
        {{"show", "a\nvfdctl: forged.vfd"},
         3,
         "vfdctl: a\\x0Avfdctl: forged.vfd: cannot read: No such file or directory\n"},
        {{"show", "back\\slash caf\u00e9.vfd"},
         3,
         "vfdctl: back\\x5Cslash caf\\xC3\\xA9.vfd: cannot read: No such file or directory\n"},
        {{"import", "evil.json", "-o", "x.vfd"},
         3,
         "vfdctl: evil.json: \\x1B]0;owned\\x07: is unknown; nothing written\n"},
        {{"show", "--port", "/dev/\x1b[31mred"},
         4,
         "/dev/\\x1B[31mred: cannot open /dev/\\x1B[31mred: No such file or directory\n"},
        {{"\x1b[2J"}, 2, "vfdctl: unknown command \"\\x1B[2J\"\nTry \"vfdctl --help\".\n"},
        {{"show", "a.vfd", "--baud", "\a"},
         2,
         "vfdctl: --baud takes 9600, 19200 or auto, not \"\\x07\"\nTry \"vfdctl --help\".\n"},
        {{"show", "a.vfd", "--\x1b[2J"},
         2,
         "vfdctl: Unknown option '\\x1B[2J'.\nTry \"vfdctl --help\".\n"},
    };
    for (const auto& c : cases) {
        const Outcome run = vfdctl(c.arguments);
        EXPECT_EQ(run.code, c.code) << run.err;
        EXPECT_EQ(run.err, c.err);
    }
}

// The line settings of a device as another program finds them.
std::optional<termios> settings_of(const std::string& device) {
    const int watcher = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (watcher < 0)
        return std::nullopt;
    termios line{};
    const bool read = ::tcgetattr(watcher, &line) == 0;
    ::close(watcher);
    return read ? std::optional(line) : std::nullopt;
}

TEST_F(VfdctlTest, InterruptDuringTheImageFinishesItFirst) {
    // Paced at 9600 bit/s, and the line held as the check byte goes, so the 0xAA and the image
    // wait on the host: the signal lands after the image has begun and before it is through.
    VirtualDisplayProcess d({"--stall", "700", "--stall-at-check"}, samples::factory_image());
    ASSERT_TRUE(d.started());
    const auto before = settings_of(d.device());
    ASSERT_TRUE(before);
    put("odd.vfd", samples::odd_image());
    QProcess write;
    start(write, {"write", "odd.vfd", "--force", "--port", QString::fromStdString(d.device())});
    ASSERT_TRUE(d.wait_for_output("The line is held.", 10000));
    QThread::msleep(250); // the host takes the check byte and begins the image
    ASSERT_FALSE(d.output().contains("receiving a configuration")) << "the image is not held";
    ::kill(static_cast<pid_t>(write.processId()), SIGINT);

    const Outcome run = finish(write);
    EXPECT_EQ(run.code, 130);
    EXPECT_EQ(run.err, "vfdctl: stopped by SIGINT; no display was left with part of a "
                       "configuration\n");
    EXPECT_EQ(run.out, "") << "no verify after the interruption";
    ASSERT_TRUE(d.wait_for_output("Stored a new configuration", 5000));
    EXPECT_EQ(d.memory(), samples::odd_image()) << "the whole image, not part of it";
    const auto after = settings_of(d.device());
    ASSERT_TRUE(after);
    EXPECT_EQ(::cfgetospeed(&*after), ::cfgetospeed(&*before)) << "the port's speed put back";
    EXPECT_EQ(after->c_cflag, before->c_cflag);

    const Outcome next =
        vfdctl({"read", "--port", QString::fromStdString(d.device()), "-o", "back.vfd"});
    EXPECT_EQ(next.code, 0) << next.err;
    EXPECT_EQ(image_in("back.vfd"), samples::odd_image());
}

TEST_F(VfdctlTest, InterruptBeforeTheImageStopsAtOnceAndLeavesTheDisplayAlone) {
    const auto d = display({"--silent"}, samples::factory_image());
    const auto before = settings_of(d->device());
    ASSERT_TRUE(before);
    put("odd.vfd", samples::odd_image());
    QProcess write;
    start(write, {"write", "odd.vfd", "--force", "--port", device(d)});
    ASSERT_TRUE(d->wait_for_output("left unanswered", 10000));
    ::kill(static_cast<pid_t>(write.processId()), SIGTERM);

    const Outcome run = finish(write);
    EXPECT_EQ(run.code, 143);
    EXPECT_EQ(run.err, "vfdctl: stopped by SIGTERM; no display was left with part of a "
                       "configuration\n");
    EXPECT_EQ(d->memory(), samples::factory_image());
    const auto after = settings_of(d->device());
    ASSERT_TRUE(after);
    EXPECT_EQ(::cfgetospeed(&*after), ::cfgetospeed(&*before)) << "the port's speed put back";
    EXPECT_EQ(after->c_cflag, before->c_cflag);
#ifdef TIOCGEXCL
    const int watcher = ::open(d->device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    int exclusive = 1;
    EXPECT_EQ(::ioctl(watcher, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0) << "exclusive use given up, or only root could open it again";
    ::close(watcher);
#endif
}

// Qt's lock file for `device` in any of the folders it uses, whoever made it.
std::optional<std::string> lock_file_of(const std::string& device) {
    std::string name = device.substr(std::string("/dev/").size());
    std::replace(name.begin(), name.end(), '/', '_');
    for (const char* folder : {"/var/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp",
                               "/tmp", "/var/tmp", "/var/lock/lockdev", "/run/lock"}) {
        const std::string path = std::string(folder) + "/LCK.." + name;
        if (fs::exists(path))
            return path;
    }
    return std::nullopt;
}

// However vfdctl ends, even when it is killed, it leaves no lock file that keeps others off
// the port: Qt's goes as soon as the port is open.
TEST_F(VfdctlTest, NoLockFileOfVfdctlOutlivesItHoweverItEnds) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
        SCOPED_TRACE(signal);
        const auto d = display({"--silent"}, samples::factory_image());
        QProcess read;
        start(read, {"read", "--port", device(d), "-o", "x.vfd"});
        ASSERT_TRUE(d->wait_for_output("left unanswered", 10000));
        EXPECT_EQ(lock_file_of(d->device()), std::nullopt) << "while the port is open";
        ::kill(static_cast<pid_t>(read.processId()), signal);
        EXPECT_EQ(finish(read).code, signal == SIGKILL ? -1 : 128 + signal);
        EXPECT_EQ(lock_file_of(d->device()), std::nullopt) << "after the end";
    }
}

// vfdctl run as nobody, for what a user without root's rights meets.
class UnprivilegedVfdctlTest : public VfdctlTest {
protected:
    void SetUp() override {
        if (::geteuid() != 0)
            GTEST_SKIP() << "only root may run vfdctl as root and then as another user";
        if (!fs::exists("/usr/bin/setpriv"))
            GTEST_SKIP() << "setpriv (util-linux) runs vfdctl as another user";
        fs::permissions(folder.path().toStdString(), fs::perms::all);
    }
    Outcome vfdctl_as_nobody(const QStringList& arguments) {
        QProcess process;
        start(process, "/usr/bin/setpriv",
              QStringList{"--reuid=nobody", "--regid=nogroup", "--clear-groups",
                          QStringLiteral(VFDCTL_PROGRAM)} +
                  arguments);
        return finish(process);
    }
    // The display's device open to every user, as the dialout group makes a real port.
    static void open_to_all(const std::unique_ptr<VirtualDisplayProcess>& d) {
        fs::permissions(d->device(), fs::perms::owner_read | fs::perms::owner_write |
                                         fs::perms::group_read | fs::perms::group_write |
                                         fs::perms::others_read | fs::perms::others_write);
    }
};

TEST_F(UnprivilegedVfdctlTest, AKilledVfdctlOfRootLeavesNothingThatKeepsAnotherUserOff) {
    const auto d = display({"--silent"}, samples::factory_image());
    open_to_all(d);
    QProcess read;
    start(read, {"read", "--port", device(d), "-o", "x.vfd"});
    ASSERT_TRUE(d->wait_for_output("left unanswered", 10000));
    ::kill(static_cast<pid_t>(read.processId()), SIGKILL);
    EXPECT_EQ(finish(read).code, -1);
#ifdef TIOCNXCL
    // Exclusive use ends with a real port's last close; the far side of a pseudo-terminal keeps
    // the terminal, and the flag with it, alive.
    const int far_end = ::open(d->device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(far_end, 0);
    ::ioctl(far_end, TIOCNXCL);
    ::close(far_end);
#endif

    // The port opens: the request goes out and is left unanswered.
    const Outcome next = vfdctl_as_nobody({"read", "--port", device(d), "-o", "y.vfd"});
    EXPECT_EQ(next.code, 5) << next.err;
    EXPECT_NE(next.err.find("no answer within"), std::string::npos) << next.err;
    EXPECT_TRUE(d->wait_for_output("left unanswered", 10000, 2));
}

TEST_F(UnprivilegedVfdctlTest, AStaleLockFileOfAnotherUserIsNamedWithItsRemedy) {
    const auto d = display({}, samples::factory_image());
    open_to_all(d);
    // A process that has ended, and its lock file as such programs write it, left in the
    // shared folder by root.
    QProcess ended;
    ended.start("/bin/true", {});
    ASSERT_TRUE(ended.waitForStarted());
    const qint64 pid = ended.processId();
    ASSERT_TRUE(ended.waitForFinished());
    std::string name = d->device().substr(std::string("/dev/").size());
    std::replace(name.begin(), name.end(), '/', '_');
    const std::string lock_file = "/var/lock/LCK.." + name;
    {
        std::ofstream file(lock_file);
        file << std::string(10 - std::to_string(pid).size(), ' ') << pid << "\n";
    }
    const std::unique_ptr<const char, void (*)(const char*)> removed(
        lock_file.c_str(), [](const char* path) { ::unlink(path); });

    const Outcome run = vfdctl_as_nobody({"read", "--port", device(d), "-o", "x.vfd"});
    EXPECT_EQ(run.code, 4);
    EXPECT_EQ(run.err, device(d).toStdString() + ": cannot open " + d->device() +
                           ": the lock file " + lock_file + " of process " + std::to_string(pid) +
                           ", which has ended, still marks the port as taken; remove it: "
                           "sudo rm " +
                           lock_file + "\n");
    EXPECT_FALSE(d->output().contains("Read request")) << "nothing was sent";
    EXPECT_TRUE(fs::exists(lock_file)) << "the lock file is root's to remove";
}

// A line that something keeps sending on takes no request, whichever command would send one.
TEST_F(VfdctlTest, ALineThatNeverFallsQuietIsRefusedWithNothingSentIntoIt) {
    put("odd.vfd", samples::odd_image());
    const std::string never_quiet = "the line never fell quiet: something keeps sending on it";
    const std::vector<std::pair<QStringList, std::string>> commands{
        {{"read", "-o", "x.vfd"}, never_quiet},
        {{"write", "odd.vfd", "--force"}, never_quiet},
        {{"write", "odd.vfd"}, "not written: the read before the write failed: " + never_quiet},
    };
    for (const auto& [command, words] : commands) {
        SCOPED_TRACE(command.join(' ').toStdString());
        // A machine too busy to let the display chatter on time makes the line fall quiet for
        // real, which the display's log shows as a gap: a try that failed beside one proves
        // nothing and is made again.
        for (int tries = 1;; ++tries) {
            const QString log = path("timing.log");
            VirtualDisplayProcess d({"--chatter", "--timing-log", log}, samples::factory_image());
            ASSERT_TRUE(d.started());
            const Outcome run =
                vfdctl(QStringList(command) << "--port" << QString::fromStdString(d.device()));
            // Time for a byte that did go out to reach the display and its log.
            QThread::msleep(200);
            const QByteArray timing = contents("timing.log");
            const bool refused = run.code == 4 && !timing.contains("in ");
            if (!refused && timing.contains("\ngap ") && tries < 5)
                continue;
            EXPECT_EQ(run.code, 4);
            EXPECT_EQ(run.err, d.device() + ": " + words + "\n");
            EXPECT_EQ(d.memory(), samples::factory_image());
            EXPECT_TRUE(timing.startsWith("out ") || timing.startsWith("gap "))
                << "the display kept sending";
            EXPECT_FALSE(timing.contains("in ")) << "a byte reached the display";
            break;
        }
    }
}

// 200 bytes trailing a read reply, paced at 9600 bit/s, are still coming in as the write that
// follows the read begins: the write waits them out, and a later read finds what it wrote.
TEST_F(VfdctlTest, TwoHundredBytesTrailingAReadReplyHoldUpNeitherWriteNorRead) {
    VirtualDisplayProcess d({"--extra-bytes", "200"}, samples::factory_image());
    ASSERT_TRUE(d.started());
    const QString port = QString::fromStdString(d.device());
    put("odd.vfd", samples::odd_image());
    const Outcome written = vfdctl({"write", "odd.vfd", "--port", port});
    EXPECT_EQ(written.code, 0) << written.err;
    EXPECT_EQ(d.memory(), samples::odd_image());
    const Outcome read = vfdctl({"read", "--port", port, "-o", "back.vfd"});
    EXPECT_EQ(read.code, 0) << read.err;
    EXPECT_EQ(image_in("back.vfd"), samples::odd_image());
}

// --json: what a script gets, read with a parser of its own. Every document holds the
// summary keys, its status is the exit status, and nothing else reaches either stream.
QJsonObject document_of(const Outcome& run) {
    QJsonParseError error;
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << run.out;
    EXPECT_TRUE(document.isObject()) << run.out;
    EXPECT_EQ(run.err, "");
    const QJsonObject json = document.object();
    for (const char* key : {"command", "status", "meaning", "message", "elapsed_ms"})
        EXPECT_TRUE(json.contains(key)) << key << " in " << run.out;
    EXPECT_EQ(json["status"].toInt(-1), run.code) << run.out;
    EXPECT_TRUE(json["elapsed_ms"].isDouble());
    return json;
}

QJsonObject field(const char* name, const char* before, const char* after) {
    return {{"field", name}, {"before", before}, {"after", after}};
}

TEST_F(VfdctlTest, JsonReadAndShowGiveEachPortsOutcomeAndConfiguration) {
    const auto d = display({}, samples::odd_image());
    put("odd.vfd", samples::odd_image());
    const QJsonObject exported = document_of(vfdctl({"export", "odd.vfd", "--json"}));
    EXPECT_EQ(exported["command"], "export");
    EXPECT_EQ(exported["message"], "exported odd.vfd");
    const QJsonValue configuration = exported["configuration"];
    EXPECT_EQ(configuration["command_set"]["entry"], "LogicControl");

    // One display answers, the other port is not there: status and message of the failure.
    const Outcome run = vfdctl({"read", "--json", "--port", device(d), "--port",
                                "/dev/ttyUSB-not-there", "-o", "a.vfd", "-o", "b.vfd"});
    const QJsonObject json = document_of(run);
    EXPECT_EQ(run.code, 4);
    EXPECT_EQ(json["command"], "read");
    EXPECT_EQ(json["meaning"], "port_unavailable");
    EXPECT_EQ(json["message"], "/dev/ttyUSB-not-there: cannot open /dev/ttyUSB-not-there: No "
                               "such file or directory");
    const QJsonArray ports = json["ports"].toArray();
    ASSERT_EQ(ports.size(), 2);
    EXPECT_EQ(ports[0]["port"], device(d));
    EXPECT_EQ(ports[0]["status"], 0);
    EXPECT_EQ(ports[0]["meaning"], "ok");
    EXPECT_EQ(ports[0]["outcome"], "read");
    EXPECT_EQ(ports[0]["speed"], 9600);
    EXPECT_EQ(ports[0]["output"], "a.vfd");
    EXPECT_EQ(ports[0]["configuration"], configuration) << "in the export format";
    EXPECT_EQ(ports[1]["status"], 4);
    EXPECT_EQ(ports[1]["meaning"], "port_unavailable");
    EXPECT_EQ(ports[1]["outcome"], "failed");
    EXPECT_FALSE(ports[1].toObject().contains("speed"));
    EXPECT_FALSE(ports[1].toObject().contains("configuration"));
    EXPECT_EQ(image_in("a.vfd"), samples::odd_image());

    const QJsonObject shown = document_of(vfdctl({"show", "--json", "--port", device(d)}));
    EXPECT_EQ(shown["status"], 0);
    EXPECT_EQ(shown["ports"][0]["configuration"], configuration);
    EXPECT_EQ(document_of(vfdctl({"show", "odd.vfd", "--json"}))["configuration"], configuration);
}

TEST_F(VfdctlTest, JsonWriteAndDiffNameTheFieldsThatDiffered) {
    ImageBytes changed = samples::factory_image();
    at_position(changed, position::command_set) = 7;
    at_position(changed, position::reserved_1) = 0x5A;
    put("changed.vfd", changed);
    put("factory.vfd", samples::factory_image());
    const auto d = display({}, samples::factory_image());
    const QJsonArray expected{field("command_set", "1 \"EPSON (Default)\"", "7 \"CD5220\""),
                              field("reserved_1", "0x00", "0x5A")};

    const QJsonObject diff =
        document_of(vfdctl({"diff", "port:" + device(d), "changed.vfd", "--json"}));
    EXPECT_EQ(diff["meaning"], "different");
    EXPECT_EQ(diff["same"], false);
    EXPECT_EQ(diff["differences"], expected);
    EXPECT_EQ(diff["ports"][0]["port"], device(d));

    const QJsonObject first =
        document_of(vfdctl({"write", "changed.vfd", "--port", device(d), "--json"}));
    EXPECT_EQ(first["status"], 0);
    EXPECT_EQ(first["message"], device(d) + ": written and verified at 9600 bit/s");
    EXPECT_EQ(first["ports"][0]["outcome"], "written");
    EXPECT_EQ(first["ports"][0]["changed"], true);
    EXPECT_EQ(first["ports"][0]["differences"], expected);
    EXPECT_EQ(d->memory(), changed);

    const QJsonObject again =
        document_of(vfdctl({"write", "changed.vfd", "--port", device(d), "--json"}));
    EXPECT_EQ(again["ports"][0]["outcome"], "unchanged");
    EXPECT_EQ(again["ports"][0]["changed"], false);
    EXPECT_EQ(again["ports"][0]["differences"], QJsonArray());
    EXPECT_EQ(stores(*d), 1);

    const QJsonObject same =
        document_of(vfdctl({"diff", "changed.vfd", "port:" + device(d), "--json"}));
    EXPECT_EQ(same["same"], true);
    EXPECT_EQ(same["differences"], QJsonArray());
}

TEST_F(VfdctlTest, JsonFailuresCarryTheirStatusPerPort) {
    const auto refusing = display({"--wrong-check"}, samples::factory_image());
    put("odd.vfd", samples::odd_image());
    const QJsonObject json = document_of(
        vfdctl({"write", "odd.vfd", "--json", "--no-verify", "--port", device(refusing)}));
    EXPECT_EQ(json["meaning"], "check_refused");
    const QJsonValue port = json["ports"][0];
    EXPECT_EQ(port["status"], 6);
    EXPECT_EQ(port["outcome"], "failed");
    EXPECT_EQ(port["changed"], false);
    EXPECT_EQ(port["message"],
              "wrong check byte at 9600 bit/s; refused with 0x55, nothing written");
    EXPECT_EQ(refusing->memory(), samples::factory_image());

    put_json("odd.json", samples::odd_image());
    const QJsonObject imported =
        document_of(vfdctl({"import", "odd.json", "-o", "back.vfd", "--json"}));
    EXPECT_EQ(imported["output"], "back.vfd");
    EXPECT_EQ(imported["message"], "wrote back.vfd");
    EXPECT_EQ(image_in("back.vfd"), samples::odd_image());
    const QJsonObject missing = document_of(vfdctl({"show", "missing.vfd", "--json"}));
    EXPECT_EQ(missing["meaning"], "bad_file");
    EXPECT_EQ(missing["message"], "missing.vfd: cannot read: No such file or directory");
}

TEST_F(VfdctlTest, JsonBadArgumentsGiveTheShortDocument) {
    const struct {
        QStringList arguments;
        QString command;
        QString message;
    } cases[] = {
        {{"--json"},
         "",
         "a command is needed: read, write, show, diff, export, import, ports, find, say, clear, "
         "brightness, test or doctor"},
        {{"show", "--frob", "--json"}, "", "Unknown option 'frob'."},
        {{"--json", "read", "--port", "/dev/a"}, "read", "read needs one -o for each --port"},
        {{"import", "a.json", "-o", "-", "--json"},
         "import",
         "-o - does not go with --json, whose document takes standard output"},
    };
    for (const auto& c : cases) {
        const Outcome run = vfdctl(c.arguments);
        EXPECT_EQ(run.code, 2) << c.arguments.join(' ').toStdString();
        const QJsonObject json = document_of(run);
        EXPECT_EQ(json["command"], c.command);
        EXPECT_EQ(json["meaning"], "bad_arguments");
        EXPECT_EQ(json["message"], c.message);
    }
}

// The "Exit status:" lines of --help, "  129, 130, 143  ended by ...", as status and words.
std::map<int, std::string> exit_statuses_in(const std::string& help) {
    std::map<int, std::string> statuses;
    std::istringstream lines(help.substr(help.find("Exit status:\n") + 13));
    for (std::string line; std::getline(lines, line) && line.starts_with("  ");) {
        const auto words = line.find("  ", 2);
        std::istringstream codes(line.substr(2, words - 2));
        for (std::string code; std::getline(codes, code, ',');)
            statuses[std::stoi(code)] = line.substr(words + 2);
    }
    return statuses;
}

TEST_F(VfdctlTest, JsonListsEveryExitStatusAsHelpDoes) {
    const auto in_help = exit_statuses_in(vfdctl({"--help"}).out);
    EXPECT_EQ(in_help.size(), 13u);
    const QJsonObject json = document_of(vfdctl({"export", "missing.vfd", "--json"}));
    std::map<int, std::string> in_document;
    for (const auto& value : json["exit_statuses"].toArray()) {
        const QJsonObject row = value.toObject();
        in_document[row["status"].toInt(-1)] = row["explanation"].toString().toStdString();
        if (row["status"] == json["status"]) {
            EXPECT_EQ(row["meaning"], json["meaning"]);
        }
    }
    EXPECT_EQ(in_document, in_help);
}

TEST_F(VfdctlTest, JsonInterruptionStillGivesADocument) {
    const auto d = display({"--silent"}, samples::factory_image());
    put("odd.vfd", samples::odd_image());
    QProcess write;
    start(write, {"write", "odd.vfd", "--force", "--json", "--port", device(d)});
    ASSERT_TRUE(d->wait_for_output("left unanswered", 10000));
    ::kill(static_cast<pid_t>(write.processId()), SIGTERM);
    Outcome run = finish(write);
    EXPECT_EQ(run.code, 143);
    run.err.clear(); // the stop line, as without --json
    const QJsonObject json = document_of(run);
    EXPECT_EQ(json["command"], "write");
    EXPECT_EQ(json["meaning"], "interrupted");
    EXPECT_EQ(json["message"], "stopped by SIGTERM; no display was left with part of a "
                               "configuration");
}

TEST_F(VfdctlTest, JsonInterruptionGivesEachPortsOutcomeAsFarAsItGot) {
    // The first display holds the line as the check byte goes, so its image waits on the host
    // when the signal lands; the second never answers the write request.
    VirtualDisplayProcess sending({"--stall", "700", "--stall-at-check"}, samples::factory_image());
    ASSERT_TRUE(sending.started());
    const auto silent = display({"--silent"}, samples::factory_image());
    put("odd.vfd", samples::odd_image());
    QProcess write;
    start(write, {"write", "odd.vfd", "--force", "--json", "--port",
                  QString::fromStdString(sending.device()), "--port", device(silent)});
    ASSERT_TRUE(sending.wait_for_output("The line is held.", 10000));
    QThread::msleep(250); // the host takes the check byte and begins the image
    ::kill(static_cast<pid_t>(write.processId()), SIGTERM);

    const Outcome run = finish(write);
    EXPECT_EQ(run.code, 143);
    const QJsonObject json = document_of(run); // nothing on standard error
    EXPECT_EQ(json["meaning"], "interrupted");
    const QJsonArray ports = json["ports"].toArray();
    ASSERT_EQ(ports.size(), 2) << run.out;
    const QJsonObject sent = ports[0].toObject();
    EXPECT_EQ(sent["port"], QString::fromStdString(sending.device()));
    EXPECT_EQ(sent["status"], 143);
    EXPECT_EQ(sent["outcome"], "interrupted");
    EXPECT_EQ(sent["image_sent"], true);
    EXPECT_EQ(sent["changed"], true) << "the display may hold the new configuration";
    ASSERT_TRUE(sending.wait_for_output("Stored a new configuration", 5000));
    EXPECT_EQ(sending.memory(), samples::odd_image());

    const QJsonObject unsent = ports[1].toObject();
    EXPECT_EQ(unsent["port"], device(silent));
    EXPECT_EQ(unsent["changed"], false) << run.out;
    EXPECT_NE(unsent["image_sent"], true) << run.out;
    EXPECT_EQ(silent->memory(), samples::factory_image());
}

TEST_F(VfdctlTest, JsonNamesThatAreNoUtf8AreEscapedAsInText) {
    // Two ports that differ only in a byte that is no UTF-8 stay two names in the document.
    const Outcome run = shell("\"$VFDCTL\" read --json --port \"$(printf '/dev/no\\377')\" "
                              "--port \"$(printf '/dev/no\\376')\" -o a.vfd -o b.vfd");
    const QJsonObject json = document_of(run);
    EXPECT_EQ(run.code, 4);
    const QJsonArray ports = json["ports"].toArray();
    ASSERT_EQ(ports.size(), 2) << run.out;
    EXPECT_EQ(ports[0]["port"], "/dev/no\\xFF");
    EXPECT_EQ(ports[1]["port"], "/dev/no\\xFE");
}

// Whether `pid` runs `threads` threads or more within `limit_ms`: vfdctl's stop handler has
// a thread of its own, so a second thread means a signal is handled from then on.
bool has_threads(qint64 pid, int threads, int limit_ms = 10000) {
    const fs::path tasks = "/proc/" + std::to_string(pid) + "/task";
    for (int waited = 0; waited < limit_ms; waited += 10) {
        std::error_code error;
        const auto found = std::distance(fs::directory_iterator(tasks, error), {});
        if (!error && found >= threads)
            return true;
        QThread::msleep(10);
    }
    return false;
}

TEST_F(VfdctlTest, StopOfACommandOnFilesSpeaksOfNoDisplay) {
    // -o into a FIFO nobody reads holds import in its open until the signal comes.
    put_json("odd.json", samples::odd_image());
    fifo("held");
    for (const bool json : {false, true}) {
        QProcess import;
        QStringList arguments{"import", "odd.json", "-o", "held"};
        if (json)
            arguments << "--json";
        start(import, arguments);
        ASSERT_TRUE(has_threads(import.processId(), 2));
        QThread::msleep(300); // on to the open
        ::kill(static_cast<pid_t>(import.processId()), SIGINT);
        const Outcome run = finish(import);
        EXPECT_EQ(run.code, 130);
        if (json) {
            EXPECT_EQ(document_of(run)["message"], "stopped by SIGINT");
        } else {
            EXPECT_EQ(run.err, "vfdctl: stopped by SIGINT\n");
        }
    }
}

} // namespace
} // namespace pds
