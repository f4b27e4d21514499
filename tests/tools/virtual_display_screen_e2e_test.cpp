// The virtual display as a program on a pseudo-terminal: runtime commands in, the screen file
// and the console out, and the configuration exchanges still answered.
#include "settings/option_lists.h"
#include "support/qt_application.h"
#include "virtual_display_process.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pds::display {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint8_t entry_index(std::span<const std::string_view> entries, std::string_view part) {
    for (std::size_t k = 0; k < entries.size(); ++k)
        if (entries[k].find(part) != std::string_view::npos)
            return static_cast<std::uint8_t>(k);
    ADD_FAILURE() << "no entry " << part;
    return 0;
}

// The host's end of the line, raw, at the display's speed.
class HostLine {
public:
    explicit HostLine(const std::string& device) {
        fd = ::open(device.c_str(), O_RDWR | O_NOCTTY);
        if (fd < 0)
            return;
        termios line{};
        ::tcgetattr(fd, &line);
        ::cfmakeraw(&line);
        ::cfsetspeed(&line, B9600);
        ::tcsetattr(fd, TCSANOW, &line);
    }
    ~HostLine() {
        if (fd >= 0)
            ::close(fd);
    }
    bool open() const { return fd >= 0; }
    void send(const Bytes& bytes) const {
        ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Up to `count` bytes, waiting at most `limit_ms` for them.
    Bytes take(std::size_t count, int limit_ms) const {
        Bytes got;
        QElapsedTimer clock;
        clock.start();
        while (got.size() < count && clock.elapsed() < limit_ms) {
            pollfd watch{fd, POLLIN, 0};
            if (::poll(&watch, 1, 100) <= 0)
                continue;
            std::uint8_t buffer[256];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0)
                got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    }

private:
    int fd = -1;
};

// Waits until the file holds `expected`; gives back what it held last.
std::string wait_for_file(const QString& path, const std::string& expected, int limit_ms = 10000) {
    QElapsedTimer clock;
    clock.start();
    std::string held;
    do {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            held = file.readAll().toStdString();
        if (held == expected)
            return held;
        QThread::msleep(20);
    } while (clock.elapsed() < limit_ms);
    return held;
}

TEST(VirtualDisplayScreen, RuntimeCommandsReachTheScreenFile) {
    pds::testing::ensure_qt_application();
    ImageBytes memory{};
    for (std::size_t i = 0; i < memory.size(); ++i)
        memory[i] = static_cast<std::uint8_t>(3 * i + 1);
    at_position(memory, position::command_set) = entry_index(command_entries, "EPSON");
    at_position(memory, position::code_page) = entry_index(char_entries, "CP-866");

    QTemporaryDir folder;
    const QString screen_path = folder.filePath("screen.txt");
    VirtualDisplayProcess display({"--screen-file", screen_path}, memory);
    ASSERT_TRUE(display.started());
    EXPECT_EQ(wait_for_file(screen_path,
                            "|                    |\n|                    |\nbrightness default\n"),
              "|                    |\n|                    |\nbrightness default\n")
        << "written at the start";
    EXPECT_TRUE(display.output().startsWith("Virtual pole display on "))
        << "scripts take the first line for the device";

    HostLine host(display.device());
    ASSERT_TRUE(host.open());
    // ESC @, US $ 1 1 and text with CP-866's 0x80, US $ 1 2 and text, US X 4, an unknown ESC.
    host.send({0x1B, 0x40, 0x1F, 0x24, 0x01, 0x01, 'H', 'E', 'L',  'L',  'O',  ' ',  0x80, 0x1F,
               0x24, 0x01, 0x02, 'W',  'O',  'R',  'L', 'D', 0x1F, 0x58, 0x04, 0x1B, 0x99});
    const std::string shown =
        "|HELLO \u0410             |\n|WORLD               |\nbrightness 04\n";
    EXPECT_EQ(wait_for_file(screen_path, shown), shown);
    EXPECT_TRUE(display.wait_for_output("not understood (EPSON): 1B 99", 5000));
    EXPECT_TRUE(display.wait_for_output(
        "screen (EPSON):\n|HELLO \u0410             |\n|WORLD               |\n", 5000));

    // US @: the self-test leaves a blank screen and its count.
    host.send({0x1F, 0x40});
    const std::string tested =
        "|                    |\n|                    |\nbrightness 04\nself-test 1\n";
    EXPECT_EQ(wait_for_file(screen_path, tested), tested);
    EXPECT_TRUE(display.wait_for_output("|*** SELF TEST ***   |", 5000));

    // A read request right after: the configuration as it was stored, untouched.
    host.send({0x1F, 0x24, 0x01, 0x1B, 0xEE});
    Bytes expected{0xAA};
    expected.insert(expected.end(), memory.begin(), memory.end());
    EXPECT_EQ(host.take(expected.size(), 10000), expected);
    EXPECT_EQ(display.memory(), memory);
}

} // namespace
} // namespace pds::display
