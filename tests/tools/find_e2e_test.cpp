// vfdctl ports and find as a script runs them, against virtual displays at both speeds.
#include "settings/option_lists.h"
#include "support/qt_application.h"
#include "support/sample_images.h"
#include "virtual_display_process.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace pds {
namespace {

using display::VirtualDisplayProcess;

struct Ran {
    int code = -1;
    std::string out;
    std::string err;
};

class FindE2eTest : public ::testing::Test {
protected:
    FindE2eTest() { testing::ensure_qt_application(); }

    static Ran vfdctl(const QStringList& arguments) {
        QProcess process;
        process.start(QStringLiteral(VFDCTL_PROGRAM), arguments);
        if (!process.waitForFinished(30000))
            ADD_FAILURE() << "vfdctl did not end";
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput().toStdString(),
                process.readAllStandardError().toStdString()};
    }
    static std::unique_ptr<VirtualDisplayProcess> display(const QStringList& options,
                                                          const ImageBytes& memory) {
        auto started = std::make_unique<VirtualDisplayProcess>(options, memory);
        EXPECT_TRUE(started->started());
        return started;
    }
    static QString on(const std::unique_ptr<VirtualDisplayProcess>& d) {
        return QString::fromStdString(d->device());
    }
};

ImageBytes greeting_image() {
    ImageBytes image = samples::factory_image();
    for (auto& cell : bytes_at(image, position::welcome_line1, 20))
        cell = 0;
    samples::put_text(image, position::welcome_line1, "OPEN 9 TO 5");
    at_position(image, position::code_page) = 0;
    at_position(image, position::command_set) = 1;
    return image;
}

TEST_F(FindE2eTest, MixedDisplaysEachGetTheirLine) {
    const auto slow = display({}, greeting_image());
    const auto fast = display({"--baud", "19200"}, samples::odd_image());
    const auto silent = display({"--silent"}, greeting_image());
    const auto other_speed = display({"--baud", "4800"}, greeting_image());
    const QString missing = "/dev/serial/by-id/usb-unplugged-port0";

    const Ran run = vfdctl({"find", "--port", on(slow), "--port", on(fast), "--port", on(silent),
                            "--port", on(other_speed), "--port", missing});
    EXPECT_EQ(run.code, 0) << run.err;
    const auto lines = QString::fromStdString(run.out).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 6) << run.out;
    EXPECT_EQ(lines[0], on(slow) + ": display at 9600 bit/s; code page \"" +
                            QString::fromStdString(std::string(char_entries[0])) +
                            "\", command set \"EPSON (Default)\", line 1 \"OPEN 9 TO 5\"");
    EXPECT_TRUE(lines[1].startsWith(on(fast) + ": display at 19200 bit/s; code page "))
        << lines[1].toStdString();
    EXPECT_EQ(lines[2], on(silent) + ": no display: no answer at 9600 or 19200 bit/s");
    EXPECT_EQ(lines[3], on(other_speed) + ": no display: no answer at 9600 or 19200 bit/s");
    EXPECT_TRUE(lines[4].startsWith(missing + ": no display: cannot open"))
        << lines[4].toStdString();
    EXPECT_EQ(lines[5], "a display answered on 2 of 5 ports");

    EXPECT_TRUE(other_speed->wait_for_output("garbled, no answer", 1000))
        << "the display at 4800 heard the request as noise";
    for (const auto* d : {&slow, &fast, &silent, &other_speed})
        EXPECT_FALSE((*d)->output().contains("Stored")) << "a probe stores nothing";
}

TEST_F(FindE2eTest, JsonCarriesEveryPortAndTheSpeed) {
    const auto fast = display({"--baud", "19200"}, greeting_image());
    const auto silent = display({"--silent"}, greeting_image());
    const Ran run = vfdctl({"find", "--json", "--port", on(silent), "--port", on(fast)});
    EXPECT_EQ(run.code, 0) << run.err;
    const QJsonObject doc = QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object();
    EXPECT_EQ(doc["command"].toString(), "find");
    EXPECT_EQ(doc["status"].toInt(), 0);
    EXPECT_EQ(doc["meaning"].toString(), "ok");
    EXPECT_TRUE(doc["elapsed_ms"].isDouble());
    const QJsonArray ports = doc["ports"].toArray();
    ASSERT_EQ(ports.size(), 2);
    EXPECT_EQ(ports[0]["port"].toString(), on(silent));
    EXPECT_EQ(ports[0]["outcome"].toString(), "no_display");
    EXPECT_EQ(ports[0]["status"].toInt(), 5);
    EXPECT_EQ(ports[1]["outcome"].toString(), "found");
    EXPECT_EQ(ports[1]["speed"].toInt(), 19200);
    EXPECT_EQ(ports[1]["welcome_line1"].toString(), "OPEN 9 TO 5");
}

TEST_F(FindE2eTest, NoDisplayIsStatusFiveAndSaysSo) {
    const auto silent = display({"--silent"}, greeting_image());
    const Ran run = vfdctl({"find", "--port", on(silent)});
    EXPECT_EQ(run.code, 5);
    EXPECT_EQ(run.err, "no display answered on 1 port\n");
    EXPECT_EQ(run.out,
              on(silent).toStdString() + ": no display: no answer at 9600 or 19200 bit/s\n");
}

TEST_F(FindE2eTest, PortsListsTheSystemsPortsInTextAndJson) {
    const Ran text = vfdctl({"ports"});
    EXPECT_EQ(text.code, 0) << text.err;
    const Ran json = vfdctl({"ports", "--json"});
    EXPECT_EQ(json.code, 0) << json.err;
    const QJsonObject doc = QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).object();
    EXPECT_EQ(doc["command"].toString(), "ports");
    const QJsonArray ports = doc["ports"].toArray();
    const auto lines = QString::fromStdString(text.out).split('\n', Qt::SkipEmptyParts);
    // Whatever this machine has: the same ports both ways.
    if (ports.isEmpty()) {
        EXPECT_EQ(lines, QStringList{"the system lists no serial port"});
    } else {
        ASSERT_EQ(lines.size(), ports.size());
        for (qsizetype i = 0; i < ports.size(); ++i)
            EXPECT_EQ(lines[i], ports[i]["message"].toString());
    }
}

TEST_F(FindE2eTest, HelpSaysWhatFindSendsAndFindTakesNoSpeed) {
    const Ran help = vfdctl({"--help"});
    EXPECT_NE(help.out.find("sends the two-byte read request (1B EE"), std::string::npos);
    const Ran speed = vfdctl({"find", "--baud", "9600", "--port", "/dev/ttyUSB0"});
    EXPECT_EQ(speed.code, 2);
    EXPECT_EQ(speed.err, "vfdctl: --baud does not apply to find\nTry \"vfdctl --help\".\n");
}

// The ports of one find share one look at which programs hold ports: each held one is still
// refused, named with its holder, and the free one beside them found.
TEST_F(FindE2eTest, HeldPortsAreRefusedBesideAFreeOne) {
    const auto free = display({"--no-pacing"}, greeting_image());
    const auto first = display({"--no-pacing"}, greeting_image());
    const auto second = display({"--no-pacing"}, greeting_image());
    std::vector<std::unique_ptr<QProcess>> holders;
    for (const auto* held : {&first, &second}) {
        auto holder = std::make_unique<QProcess>();
        holder->start("/bin/sh",
                      {"-c", "exec 3<>\"$0\" && echo opened && exec sleep 60", on(*held)});
        ASSERT_TRUE(holder->waitForReadyRead(5000));
        ASSERT_EQ(holder->readLine().trimmed(), "opened");
        holders.push_back(std::move(holder));
    }

    const Ran run = vfdctl({"find", "--port", on(first), "--port", on(free), "--port", on(second)});
    EXPECT_EQ(run.code, 0) << run.err;
    for (std::size_t i = 0; i < holders.size(); ++i) {
        const auto& held = i == 0 ? first : second;
        EXPECT_NE(run.out.find(held->device() +
                               ": no display: another program is using this port: sleep (process " +
                               std::to_string(holders[i]->processId()) + ")\n"),
                  std::string::npos)
            << run.out;
    }
    EXPECT_NE(run.out.find(free->device() + ": display at 9600 bit/s"), std::string::npos)
        << run.out;
    for (auto& holder : holders)
        holder->kill(), holder->waitForFinished(3000);
}

} // namespace
} // namespace pds
