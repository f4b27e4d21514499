// Both transfers of the window, on the real serial adapter, against the virtual display.
#include "commands/read_from_display.h"
#include "commands/write_to_display.h"
#include "link/port_failure_message.h"
#include "station.h"
#include "virtual_display_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace pds {
namespace {

using display::VirtualDisplayProcess;
using testing::cpu_seconds;
using testing::Station;
using Texts = std::vector<std::string>;

// A configuration a display could hold: list codes in range, both lines, a character.
ImageBytes display_configuration() {
    ImageBytes image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(0x30 + i % 64);
    at_position(image, position::display_baud) = 1;
    at_position(image, position::code_page) = 35;
    at_position(image, position::command_set) = 7;
    at_position(image, position::passthru_mode) = 2;
    return image;
}

class TransferTest : public ::testing::Test, protected Station {
protected:
    void TearDown() override { expect_port_closed_at_every_box(); }
};

TEST_F(TransferTest, WriteThenReadBackIntoAFreshEditor) {
    VirtualDisplayProcess display({}, ImageBytes{});
    ASSERT_TRUE(display.started());
    choose(display.device());
    for (int p = 69; p <= image_size; ++p) // a character table and reserved bytes to keep
        editor.image[p] = static_cast<std::uint8_t>(p);
    editor.model.code_page.select(14);
    editor.model.command_set.select(9);

    write_to_display(editor);
    EXPECT_EQ(shown(), Texts{download_successful});
    EXPECT_EQ(display.memory(), editor.image.payload());
    EXPECT_TRUE(display.output().contains("code_page: 14 \"German (CP-1252)\""));
    EXPECT_TRUE(display.output().contains("command_set: 9 \"LogicControl\""));
    EXPECT_TRUE(editor.model.line1.characters_shown() && editor.model.line2.characters_shown());

    Station reader_side; // another editor, as after a restart of the utility
    Editor& reader = reader_side.editor;
    reader_side.choose(display.device());
    read_from_display(reader);
    EXPECT_EQ(reader_side.shown(), Texts{upload_ok});
    EXPECT_EQ(reader.image.payload(), editor.image.payload());
    EXPECT_EQ(reader.image.reply_mark(), 0xAA);
    EXPECT_EQ(reader.model.code_page.index, 14);
    EXPECT_EQ(reader.model.command_set.index, 9);
    EXPECT_EQ(reader.model.line1.chars[1], std::string(1, default_line1[0]));
    reader_side.expect_port_closed_at_every_box();
}

TEST_F(TransferTest, ReadShowsWhatTheDisplayHolds) {
    VirtualDisplayProcess display({}, display_configuration());
    ASSERT_TRUE(display.started());
    choose(display.device());
    read_from_display(editor);
    EXPECT_EQ(shown(), Texts{upload_ok});
    EXPECT_EQ(editor.image.payload(), display_configuration());
    EXPECT_EQ(editor.model.display_baud.index, 1);
    EXPECT_EQ(editor.model.code_page.index, 35);
    EXPECT_EQ(editor.model.command_set.index, 7);
    EXPECT_EQ(editor.model.passthru_mode.index, 2);
}

TEST_F(TransferTest, StaleInputExtraBytesAndSeveralAnswerBytesDoNoHarm) {
    // 20 bytes trail each read reply, so most arrive after the read has closed the port; the
    // write must not take them for the check byte, and of its three answer bytes only the
    // first counts.
    VirtualDisplayProcess display({"--extra-bytes", "20", "--answer-bytes", "3"},
                                  display_configuration());
    ASSERT_TRUE(display.started());
    choose(display.device());
    read_from_display(editor);
    ASSERT_EQ(shown(), Texts{upload_ok});
    EXPECT_EQ(editor.image.payload(), display_configuration()) << "the first 127 bytes count";

    // The operator's pause: the trailing bytes are all in, waiting on the closed port. (Bytes
    // still arriving after the write has opened and discarded would be taken for the answer.)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    editor.model.passthru_mode.select(1);
    write_to_display(editor);
    EXPECT_EQ(shown(), (Texts{upload_ok, download_successful}));
    EXPECT_EQ(display.memory(), editor.image.payload());
}

TEST_F(TransferTest, WrongCheckByteIsRefusedAndNothingIsStored) {
    VirtualDisplayProcess display({"--wrong-check"}, display_configuration());
    ASSERT_TRUE(display.started());
    choose(display.device());
    write_to_display(editor);
    EXPECT_EQ(shown(), Texts{irc_check_error});
    EXPECT_TRUE(display.wait_for_output("Host refused the check byte", 2000));
    EXPECT_EQ(display.memory(), display_configuration());
    EXPECT_TRUE(editor.model.line1.hex_shown() && editor.model.line2.hex_shown());
}

TEST_F(TransferTest, SilentDisplayFailsBothWaysWhileTheProcessSleeps) {
    VirtualDisplayProcess display({"--silent"}, display_configuration());
    ASSERT_TRUE(display.started());
    choose(display.device());
    for (int p = 1; p <= image_size; ++p)
        editor.image[p] = static_cast<std::uint8_t>(p);
    const SettingsImage before_read = [&] {
        SettingsImage image = editor.image;
        return image;
    }();

    const double cpu_before = cpu_seconds();
    const auto start = std::chrono::steady_clock::now();
    read_from_display(editor);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(shown(), Texts{display.device() + cant_be_open});
    EXPECT_EQ(editor.image, before_read) << "a failed read loses nothing";
    EXPECT_GT(wall, 2.0);
    EXPECT_LT(cpu_seconds() - cpu_before, 0.3 * wall) << "a spinning wait takes the whole core";

    write_to_display(editor);
    EXPECT_EQ(shown(), (Texts{display.device() + cant_be_open, download_fail}));
    EXPECT_EQ(display.memory(), display_configuration());
}

TEST_F(TransferTest, ShortReplyAndWrongMarkKeepTheImage) {
    for (const QStringList& fault :
         {QStringList{"--short-reply", "100"}, QStringList{"--wrong-mark"}}) {
        SCOPED_TRACE(fault.join(' ').toStdString());
        VirtualDisplayProcess display(fault, display_configuration());
        ASSERT_TRUE(display.started());
        choose(display.device());
        boxes.shown.clear();
        const SettingsImage before = editor.image;
        const EditorModel model_before = editor.model;
        read_from_display(editor);
        EXPECT_EQ(shown(), Texts{receive_check_error});
        EXPECT_EQ(editor.image, before);
        EXPECT_EQ(editor.model, model_before);
    }
}

TEST_F(TransferTest, HangUpMidReadFailsThenTheFreshDeviceReads) {
    VirtualDisplayProcess display({"--hang-up-after", "60"}, display_configuration());
    ASSERT_TRUE(display.started());
    choose(display.device());
    const SettingsImage before = editor.image;
    read_from_display(editor);
    EXPECT_EQ(shown(), Texts{receive_check_error});
    EXPECT_EQ(editor.image, before);

    ASSERT_TRUE(display.wait_for_output("Virtual pole display on", 2000, 2));
    choose(display.latest_device());
    read_from_display(editor);
    EXPECT_EQ(shown(), (Texts{receive_check_error, upload_ok}));
    EXPECT_EQ(editor.image.payload(), display_configuration());
}

TEST_F(TransferTest, HangUpMidWriteFailsAndStoresNothing) {
    // On a pseudo-terminal the host's bytes leave at once and only the display paces them, so a
    // drop later in the exchange could come after the host is done: it drops mid-date.
    VirtualDisplayProcess display({"--hang-up-after", "8"}, display_configuration());
    ASSERT_TRUE(display.started());
    choose(display.device());
    write_to_display(editor);
    EXPECT_EQ(shown(), Texts{download_fail});
    EXPECT_EQ(display.memory(), display_configuration());

    // The display, replugged, still holds its old configuration.
    ASSERT_TRUE(display.wait_for_output("Virtual pole display on", 2000, 2));
    choose(display.latest_device());
    read_from_display(editor);
    EXPECT_EQ(shown(), (Texts{download_fail, upload_ok}));
    EXPECT_EQ(editor.image.payload(), display_configuration());
}

TEST_F(TransferTest, PortThatCannotBeOpenedIsReportedAndNothingIsSent) {
    VirtualDisplayProcess display({}, display_configuration());
    ASSERT_TRUE(display.started());
    const SettingsImage before = editor.image;

    choose("/dev/ttyUSB-not-there");
    read_from_display(editor);
    choose(display.device());
    editor.model.host_line.type("9600,n,9,1");
    read_from_display(editor);

    ASSERT_EQ(shown().size(), 2u);
    EXPECT_EQ(shown()[0],
              port_failure_message("/dev/ttyUSB-not-there", "9600,n,8,1",
                                   {PortFailure::Kind::NoSuchPort, "/dev/ttyUSB-not-there",
                                    "No such file or directory"}));
    EXPECT_NE(shown()[1].find("could not be set up"), std::string::npos) << shown()[1];
    EXPECT_NE(shown()[1].find("data bits"), std::string::npos) << shown()[1];
    EXPECT_EQ(editor.image, before);
    EXPECT_FALSE(display.output().contains("request")) << "the display heard nothing";
}

} // namespace
} // namespace pds
