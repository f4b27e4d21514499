// The display as a whole: configuration exchanges and runtime commands on one line.
#include "display_session.h"
#include "settings/option_lists.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pds::display {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint8_t code_of_set(std::string_view name) {
    for (std::size_t k = 0; k < command_entries.size(); ++k)
        if (command_entries[k].substr(0, name.size()) == name)
            return static_cast<std::uint8_t>(k);
    ADD_FAILURE() << "no command set " << name;
    return 0;
}

// A configuration that names `set`, every other byte a pattern a runtime command could not
// make by chance.
ImageBytes configured_for(std::string_view set) {
    ImageBytes image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(0x41 + 7 * i);
    at_position(image, position::code_page) = 0;
    at_position(image, position::command_set) = code_of_set(set);
    return image;
}

Bytes read_reply(const ImageBytes& image) {
    Bytes reply{0xAA};
    reply.insert(reply.end(), image.begin(), image.end());
    return reply;
}

struct Host {
    explicit Host(const ImageBytes& memory) : display(Behaviour{}, memory) {}

    Bytes send(const Bytes& bytes) {
        Bytes replies;
        for (const auto byte : bytes) {
            const Step step = display.receive(byte, now += 1);
            replies.insert(replies.end(), step.reply.begin(), step.reply.end());
        }
        return replies;
    }
    std::string line(int row) const {
        return screen_line_text(display.runtime().screen(), row, display.characters());
    }

    DisplaySession display;
    std::int64_t now = 0;
};

std::string padded(std::string_view text) {
    std::string line(text);
    line.resize(Screen::columns, ' ');
    return line;
}

// For each set: commands the display carries out, refuses or half-receives, among them those
// that would write its memory on a real one, and then a read right after them.
TEST(DisplaySession, RuntimeCommandsLeaveTheConfigurationAndTheReadAlone) {
    struct Case {
        const char* set;
        Bytes runtime;
        const char* line1;
        Bytes answers = {}; // to the runtime commands
    };
    const Case cases[] = {
        {"EPSON",
         {0x1B, 0x40, 'O', 'K', 0x1F, 0x28, 0x45, 0x02, 0x00, 0x01, 0x02, 0x1F, 0x24},
         "OK"},
        {"CD5220",
         {0x1B, 0x40, 0x1B, 0x23, 0x31, 0x1B, 0x73, 0x01, 0x1B, 0x51, 0x41, 'O', 'K', 0x0D, 0x1B,
          0x51, 0x42, 'x'},
         "OK"},
        {"UTC/S", {0x1F, 0x10, 0x00, 'O', 'K', 0x04, 0xFF, 0x10}, "OK"},
        {"UTC/P",
         {0x1B, 0x75, 0x41, 'O', 'K', 0x0D, 0x1B, 0x75, 0x48, 0x31, 0x31, 0x0D, 0x1B, 0x75},
         "OK"},
        {"AEDEX",
         {'!', '#', '1', 'O', 'K', 0x0D, '!', '#', '8', 0x20, 0x20, 0x0D, '!', '#', '2'},
         "OK"},
        {"EMAX", {'!', '#', '1', 'O', 'K', 0x0D, '!', '#'}, "OK"},
        {"ADM788", {0x0C, 0x0E, 'O', 'K', 0x0D, 0x11}, "OK"},
        {"DSP800",
         {0x04, 0x01, 0x25, 0x17, 'O', 'K', 0x04, 0x01, 0x53, 0x31, 0x17, 0x04, 0x01},
         "OK",
         {0x06, 0x15}},
        {"LogicControl", {0x1F, 0x11, 'O', 'K', 0x04}, "OK"},
        {"ORBIT", {0x1B, 0x40, 'O', 'K', 0x1B}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.set);
        const ImageBytes memory = configured_for(c.set);
        Host host(memory);
        EXPECT_EQ(host.send(c.runtime), c.answers);
        EXPECT_EQ(host.line(0), padded(c.line1));
        // The last command is half-received: the read request still comes first.
        EXPECT_EQ(host.send({0x1B, 0xEE}), read_reply(memory));
        EXPECT_EQ(host.display.memory(), memory);
        // And the bytes after the exchange are runtime commands again.
        host.send(c.runtime);
        EXPECT_EQ(host.line(0), padded(c.line1));
        EXPECT_EQ(host.send({0x1B, 0xEE}), read_reply(memory));
    }
}

TEST(DisplaySession, Dsp800FramesAreAnsweredUnlessTheDisplayIsSilent) {
    // Tysso DSP manual 6.2.4-6.2.6: ACK, or NACK if failed.
    const Bytes frames = {0x04, 0x01, 0x50, 0x31, 0x17, 'A',  0x04, 0x01, 0x50, 0x59, 0x17, 0x04,
                          0x01, 0x44, 0x37, 0x33, 0x17, 0x04, 0x01, 0x50, 0x31, 0x32, 0x33};
    Host answering(configured_for("DSP800"));
    EXPECT_EQ(answering.send(frames), (Bytes{0x06, 0x15, 0x15, 0x15}));
    Behaviour silent;
    silent.silent = true;
    DisplaySession quiet(silent, configured_for("DSP800"));
    for (const auto byte : frames)
        EXPECT_TRUE(quiet.receive(byte, 0).reply.empty());
    EXPECT_EQ(screen_line_text(quiet.runtime().screen(), 0, quiet.characters()), padded("A"));
}

TEST(DisplaySession, AnExchangeEndsAHalfReceivedCommandAsNotUnderstood) {
    Host host(configured_for("EPSON"));
    host.send({0x1F, 0x24, 0x01});
    host.send({0x1B, 0xEE});
    EXPECT_EQ(host.display.take_report_lines(),
              std::vector<std::string>{"not understood (EPSON): 1F 24 01"});
}

TEST(DisplaySession, AnEscapeThatBeginsNoRequestIsARuntimeByte) {
    // DLE 1B puts the cursor on position 27, row 2 column 8: the escape is the position.
    Host utc(configured_for("UTC/S"));
    EXPECT_TRUE(utc.send({0x10, 0x1B, 'X'}).empty());
    EXPECT_EQ(utc.line(1), padded("       X"));
    // Two escapes: the first is a command's, the second begins the read.
    Host epson(configured_for("EPSON"));
    EXPECT_EQ(epson.send({'A', 0x1B, 0x1B, 0xEE}), read_reply(configured_for("EPSON")));
    EXPECT_EQ(epson.display.take_report_lines(),
              std::vector<std::string>{"not understood (EPSON): 1B"});
    EXPECT_EQ(epson.line(0), padded("A"));
}

TEST(DisplaySession, AnEscapeLeftAloneBeginsACommand) {
    Host host(configured_for("EPSON"));
    host.send({'A', 0x1B});
    host.now += abandon_after_ms + 1;
    host.send({0x40, 'B'});
    EXPECT_EQ(host.line(0), padded("B"));
    EXPECT_TRUE(host.display.take_report_lines().empty());
}

TEST(DisplaySession, AWrittenConfigurationSwitchesTheCommandSet) {
    Host host(configured_for("EPSON"));
    host.send({'A'});
    ImageBytes next = configured_for("CD5220");
    const Bytes request = {0x1B, 0xEF, 2, 0, 2, 6, 1, 2, 0, 6};
    EXPECT_EQ(host.send(request), Bytes{0x8A});
    Bytes payload{0xAA};
    payload.insert(payload.end(), next.begin(), next.end());
    host.send(payload);
    EXPECT_EQ(host.display.memory(), next);
    EXPECT_EQ(host.display.runtime().set_name(), "CD5220");
    EXPECT_EQ(host.line(0), padded("")) << "the new set starts as at power-on";
    host.send({0x1B, 0x51, 0x42, 'B', 0x0D});
    EXPECT_EQ(host.line(1), padded("B"));
    // The same set written again keeps the screen.
    EXPECT_EQ(host.send(request), Bytes{0x8A});
    host.send(payload);
    EXPECT_EQ(host.line(1), padded("B"));
}

} // namespace
} // namespace pds::display
