// vfdctl say, clear, brightness and test against the virtual display on a pseudo-terminal: the
// screen it keeps, read from its screen file, shows what each command set's bytes did.
#include "support/qt_application.h"
#include "virtual_display_process.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

namespace pds {
namespace {

using display::VirtualDisplayProcess;

struct Ran {
    int code = -1;
    std::string out;
    std::string err;
};

// The screen file's text: both lines between bars, the brightness, and the self-test count
// once there was one.
std::string screen(const std::string& line_1, const std::string& line_2,
                   const std::string& brightness, int self_tests = 0) {
    auto padded = [](std::string text) {
        const QString shown = QString::fromStdString(text);
        return "|" + text + std::string(static_cast<std::size_t>(20 - shown.size()), ' ') + "|\n";
    };
    std::string text = padded(line_1) + padded(line_2) + "brightness " + brightness + "\n";
    if (self_tests > 0)
        text += "self-test " + std::to_string(self_tests) + "\n";
    return text;
}

class LiveTest : public ::testing::Test {
protected:
    LiveTest() { testing::ensure_qt_application(); }

    Ran vfdctl(const QStringList& arguments) {
        QProcess process;
        process.start(QStringLiteral(VFDCTL_PROGRAM), arguments);
        if (!process.waitForFinished(60000))
            ADD_FAILURE() << "vfdctl did not end";
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput().toStdString(),
                process.readAllStandardError().toStdString()};
    }

    // A display set to `command_set` and `code_page` (places in their lists), its screen in a
    // file of the test's folder.
    std::unique_ptr<VirtualDisplayProcess> display(int command_set, int code_page,
                                                   QStringList options = {}) {
        ImageBytes memory{};
        memory[3] = static_cast<std::uint8_t>(code_page);   // position 4
        memory[5] = static_cast<std::uint8_t>(command_set); // position 6
        options << "--screen-file" << screen_path(++displays);
        auto started = std::make_unique<VirtualDisplayProcess>(options, memory);
        EXPECT_TRUE(started->started());
        return started;
    }
    QString screen_path(int number) const {
        return folder.filePath(QString("screen%1.txt").arg(number));
    }
    std::string screen_of(int number) const {
        QFile file(screen_path(number));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }
    // The screen of display `number` once it shows `expected`; what it shows after a few
    // seconds otherwise. The display takes the bytes after vfdctl has handed them over.
    std::string screen_becomes(int number, const std::string& expected) {
        QDeadlineTimer deadline(10000);
        std::string now = screen_of(number);
        while (now != expected && !deadline.hasExpired()) {
            QThread::msleep(20);
            now = screen_of(number);
        }
        return now;
    }
    static QString on(const std::unique_ptr<VirtualDisplayProcess>& d) {
        return QString::fromStdString(d->device());
    }

    QTemporaryDir folder;
    int displays = 0;
};

struct SetCase {
    const char* name;
    int code;                       // its place in the Command list
    std::optional<std::string> dim; // "brightness 2" as the screen file gives the level byte
    std::string brightest;          // the level byte the test ends on
    bool self_test;
};

// The level bytes are the manuals': US X n and ESC * n take 1..4, EOT n takes 20/40/60/FF.
const SetCase sets[] = {
    {"EPSON", 1, "02", "04", true},         {"CD5220", 7, "02", "04", true},
    {"UTC/S", 2, "40", "FF", false},        {"LogicControl", 9, "40", "FF", false},
    {"UTC/P", 3, std::nullopt, "", false},  {"AEDEX", 4, std::nullopt, "", false},
    {"ADM788", 5, std::nullopt, "", false}, {"EMAX", 8, std::nullopt, "", false},
};

TEST_F(LiveTest, EachActionOfEachSetShowsOnTheScreen) {
    for (const SetCase& set : sets) {
        SCOPED_TRACE(set.name);
        const auto d = display(set.code, 0); // US English (CP-437)
        const int n = displays;
        const std::string none = "default";

        Ran ran = vfdctl({"say", "--port", on(d), "HELLO WORLD"});
        EXPECT_EQ(ran.code, 0) << ran.err;
        EXPECT_EQ(screen_becomes(n, screen("HELLO WORLD", "", none)),
                  screen("HELLO WORLD", "", none));

        ran = vfdctl({"say", "--port", on(d), "--line", "2", "Çüé ÄÅ ñ £"});
        EXPECT_EQ(ran.code, 0) << ran.err;
        EXPECT_EQ(screen_becomes(n, screen("HELLO WORLD", "Çüé ÄÅ ñ £", none)),
                  screen("HELLO WORLD", "Çüé ÄÅ ñ £", none));

        ran = vfdctl({"brightness", "--port", on(d), "2"});
        if (set.dim) {
            EXPECT_EQ(ran.code, 0) << ran.err;
            // In CD5220's string mode only a clear makes the display take the level.
            const bool cleared = std::string(set.name) == "CD5220";
            const std::string want =
                cleared ? screen("", "", *set.dim) : screen("HELLO WORLD", "Çüé ÄÅ ñ £", *set.dim);
            EXPECT_EQ(screen_becomes(n, want), want);
        } else {
            EXPECT_EQ(ran.code, 2);
            EXPECT_NE(ran.err.find(std::string("the command set ") + set.name +
                                   " has no brightness command"),
                      std::string::npos)
                << ran.err;
        }

        ran = vfdctl({"clear", "--port", on(d)});
        EXPECT_EQ(ran.code, 0) << ran.err;
        const std::string level = set.dim ? *set.dim : none;
        EXPECT_EQ(screen_becomes(n, screen("", "", level)), screen("", "", level));

        QStringList test = {"test", "--port", on(d), "--pause", "0"};
        if (set.self_test)
            test << "--self-test";
        ran = vfdctl(test);
        EXPECT_EQ(ran.code, 0) << ran.err;
        const std::string last = set.dim ? set.brightest : none;
        const std::string tested = screen("", "", last, set.self_test ? 1 : 0);
        EXPECT_EQ(screen_becomes(n, tested), tested);
        EXPECT_FALSE(d->output().contains("not understand")) << d->output().toStdString();
    }
}

TEST_F(LiveTest, TheTestShowsItsLinesInTheDisplaysCodePage) {
    // Russian (CP-866): the test's second line is the page's own letters. A long pause keeps
    // them on the screen while the test runs.
    const auto d = display(1, 30);
    QProcess test;
    test.start(QStringLiteral(VFDCTL_PROGRAM), {"test", "--port", on(d), "--pause", "1500"});
    const std::string shown = screen("0123456789ABCDEFGHIJ", "АБВГДЕЖЗИЙКЛМНОПРСТУ", "default");
    EXPECT_EQ(screen_becomes(displays, shown), shown);
    ASSERT_TRUE(test.waitForFinished(60000));
    EXPECT_EQ(test.exitCode(), 0) << test.readAllStandardError().toStdString();
    EXPECT_EQ(screen_becomes(displays, screen("", "", "04")), screen("", "", "04"));
}

TEST_F(LiveTest, ChosenSetSpeaksToADisplayThatDoesNotAnswerTheRead) {
    // LogicControl, Russian (CP-866), at 19200 bit/s, answering no read.
    const auto d = display(9, 30, {"--silent", "--baud", "19200"});
    const std::string before = screen_of(displays);

    Ran ran = vfdctl({"say", "--port", on(d), "NOT READ"});
    EXPECT_EQ(ran.code, 5);
    EXPECT_NE(ran.err.find("no display answered"), std::string::npos) << ran.err;
    EXPECT_EQ(screen_of(displays), before);

    ran = vfdctl({"say", "--json", "--port", on(d), "--command-set", "logiccontrol", "--code-page",
                  "30", "--baud", "19200", "Привет"});
    EXPECT_EQ(ran.code, 0) << ran.out;
    EXPECT_EQ(screen_becomes(displays, screen("Привет", "", "default")),
              screen("Привет", "", "default"));
    const QJsonObject port = QJsonDocument::fromJson(QByteArray::fromStdString(ran.out))
                                 .object()["ports"]
                                 .toArray()[0]
                                 .toObject();
    EXPECT_EQ(port["command_set"].toString(), "LogicControl");
    EXPECT_EQ(port["command_set_from"].toString(), "chosen");
    EXPECT_EQ(port["code_page"].toString(), "Russian (CP-866)");
    EXPECT_EQ(port["speed"].toInt(), 19200);
    // DC1, then DLE 00 and the line (П р и в е т in CP-866): each command one write.
    const QJsonArray sent = port["sent"].toArray();
    ASSERT_EQ(sent.size(), 2);
    EXPECT_EQ(sent[0].toString(), "11");
    EXPECT_TRUE(sent[1].toString().startsWith("10 00 8F E0 A8 A2 A5 E2 20")) << ran.out;
}

TEST_F(LiveTest, CommandLinesThatCannotBeSpokenAreRefusedBeforeAnyPortOpens) {
    const struct {
        QStringList arguments;
        const char* words;
    } cases[] = {
        {{"say", "HI"}, "say needs --port"},
        {{"say", "--port", "/dev/null"}, "say needs one text"},
        {{"say", "--port", "/dev/null", "--line", "3", "HI"}, "--line takes 1 or 2, not \"3\""},
        {{"say", "--port", "/dev/null", "--command-set", "UTC", "HI"},
         "--command-set takes ORBIT, EPSON, UTC/S, UTC/P, AEDEX, ADM788, DSP800, CD5220, EMAX or "
         "LogicControl, not \"UTC\""},
        {{"say", "--port", "/dev/null", "--code-page", "30", "HI"},
         "--code-page goes with --command-set"},
        {{"clear", "--port", "/dev/null", "--command-set", "EPSON", "--code-page", "36"},
         "--code-page takes a place in the Char list, 0 to 35"},
        {{"brightness", "--port", "/dev/null", "5"},
         "brightness needs one level, 1 (dimmest) to 4"},
        {{"brightness", "--port", "/dev/null"}, "brightness needs one level"},
        {{"test", "--port", "/dev/null", "--pause", "-1"}, "--pause takes milliseconds"},
        {{"test", "--port", "/dev/null", "--line", "2"}, "--line does not apply to test"},
        {{"clear", "--port", "/dev/null", "--self-test"}, "--self-test does not apply to clear"},
        {{"read", "--port", "/dev/null", "-o", "x.vfd", "--command-set", "EPSON"},
         "--command-set does not apply to read"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const Ran ran = vfdctl(c.arguments);
        EXPECT_EQ(ran.code, 2);
        EXPECT_NE(ran.err.find(c.words), std::string::npos) << ran.err;
        EXPECT_EQ(ran.out, "");
    }
}

TEST_F(LiveTest, RefusedSetOrCharacterSendsNothing) {
    const auto d = display(1, 0); // EPSON, CP-437
    const int n = displays;
    Ran ran = vfdctl({"say", "--port", on(d), "OK"});
    ASSERT_EQ(ran.code, 0) << ran.err;
    ASSERT_EQ(screen_becomes(n, screen("OK", "", "default")), screen("OK", "", "default"));
    const auto reads = d->output().count("Read request");

    // € is not in CP-437: refused by name after the read, before any runtime byte.
    ran = vfdctl({"say", "--port", on(d), "--line", "2", "5 €"});
    EXPECT_EQ(ran.code, 2);
    EXPECT_NE(ran.err.find("\"€\" is not in US English (CP-437)"), std::string::npos) << ran.err;
    // A chosen set that is refused does not even read.
    for (const char* refused : {"ORBIT", "DSP800"}) {
        ran = vfdctl({"clear", "--port", on(d), "--command-set", refused});
        EXPECT_EQ(ran.code, 2);
        EXPECT_NE(ran.err.find(std::string("the command set ") + refused + " is not supported"),
                  std::string::npos)
            << ran.err;
    }
    ran = vfdctl({"test", "--port", on(d), "--command-set", "UTC/S", "--self-test"});
    EXPECT_EQ(ran.code, 2);
    EXPECT_NE(ran.err.find("the command set UTC/S has no self-test command"), std::string::npos);

    EXPECT_EQ(d->output().count("Read request"), reads + 1);
    // The display still shows what it showed: nothing reached it after the read.
    ran = vfdctl({"say", "--port", on(d), "--line", "1", "OK AGAIN"});
    ASSERT_EQ(ran.code, 0);
    EXPECT_EQ(screen_becomes(n, screen("OK AGAIN", "", "default")),
              screen("OK AGAIN", "", "default"));
}

TEST_F(LiveTest, SeveralPortsAtOnceEachInItsOwnSet) {
    const auto epson = display(1, 0);
    const auto utcp = display(3, 30); // UTC/P, Russian (CP-866)
    const Ran ran = vfdctl({"say", "--json", "--port", on(epson), "--port", on(utcp), "--line", "2",
                            "A LINE LONGER THAN TWENTY"});
    EXPECT_EQ(ran.code, 0) << ran.out;
    EXPECT_EQ(screen_becomes(1, screen("", "A LINE LONGER THAN T", "default")),
              screen("", "A LINE LONGER THAN T", "default"));
    EXPECT_EQ(screen_becomes(2, screen("", "A LINE LONGER THAN T", "default")),
              screen("", "A LINE LONGER THAN T", "default"));
    const QJsonArray ports =
        QJsonDocument::fromJson(QByteArray::fromStdString(ran.out)).object()["ports"].toArray();
    ASSERT_EQ(ports.size(), 2);
    EXPECT_EQ(ports[0].toObject()["command_set"].toString(), "EPSON (Default)");
    EXPECT_EQ(ports[1].toObject()["command_set"].toString(), "UTC/P");
    EXPECT_EQ(ports[1].toObject()["code_page"].toString(), "Russian (CP-866)");
    EXPECT_EQ(ports[1].toObject()["notes"].toArray()[0].toString(), "line 2 cut to 20 characters");

    // Without --json the note goes to standard error, the port's line to standard output.
    const Ran plain = vfdctl({"say", "--port", on(epson), "ABCDEFGHIJKLMNOPQRSTUVWXYZ"});
    EXPECT_EQ(plain.code, 0);
    EXPECT_NE(plain.err.find("note: line 1 cut to 20 characters"), std::string::npos);
    EXPECT_NE(plain.out.find("line 1 shown (EPSON (Default) as the display reports it"),
              std::string::npos)
        << plain.out;
}

} // namespace
} // namespace pds
