#include "commands/read_from_display.h"

#include "commands/welcome_lines.h"
#include "link/port_failure_message.h"
#include "link/serial_line.h"
#include "message/message_line.h"
#include "support/link_fixture.h"

#include <functional>
#include <string>
#include <vector>

using namespace pds;
using namespace pds::testing_link;

namespace {

struct ReadTest : LinkFixture {
    ImageBytes payload{};

    ReadTest() {
        for (int p = 1; p <= image_size; ++p)
            set(p, static_cast<std::uint8_t>(0x40 + p));
        set(position::display_baud, 1);
        set(position::code_page, 35);
        set(position::command_set, 9);
        set(position::passthru_mode, 2);
        const std::uint8_t line1[20] = {'H', 'E', 'L', 'L', 'O'};
        const std::uint8_t line2[40] = {'A', 0x00, 'B'};
        for (int k = 1; k <= 20; ++k)
            set(6 + k, line1[k - 1]);
        for (int k = 1; k <= 40; ++k)
            set(26 + k, line2[k - 1]);
        display.reply = fakes::ScriptedDisplay::reply_of(payload);
        fill_image_with_pattern();
    }
    void set(int position, std::uint8_t value) { at_position(payload, position) = value; }
    void set_reply(int position, std::uint8_t value) {
        set(position, value);
        display.reply = fakes::ScriptedDisplay::reply_of(payload);
    }
};

// The parts of the editor a read may change, to show that a failed read changed none.
struct EditorView {
    int baud_rate, char_set, command, passthru;
    std::vector<std::string> line1_cells, line2_cells;
    MessageView line1_view, line2_view;
    bool operator==(const EditorView&) const = default;
};

EditorView view_of(const Editor& e) {
    const auto& m = e.model;
    return {m.display_baud.index, m.code_page.index, m.command_set.index, m.passthru_mode.index,
            m.line1.chars,        m.line2.chars,     m.line1.view,        m.line2.view};
}

} // namespace

TEST_F(ReadTest, GoodReplyReplacesTheImageAndIsShownAfterTheBox) {
    select_view(editor.model.line1, MessageView::Hex, chosen_characters(editor.model));
    editor.model.character_dots.set(2, 3, true);
    editor.model.character_code = "41";
    editor.udc_number = 4;
    editor.udc_start = 87;
    const EditorModel page_before = editor.model;
    const EditorView before = view_of(editor);
    bool editor_unchanged_at_box = false;
    fake.boxes.on_show = [&, base = fake.boxes.on_show] {
        base();
        editor_unchanged_at_box = view_of(editor) == before;
    };

    read_from_display(editor);

    EXPECT_EQ(port.sent, (std::vector<std::uint8_t>{0x1B, 0xEE}));
    EXPECT_EQ(boxes(), std::vector<std::string>{"Upload O.K!"});
    EXPECT_TRUE(editor_unchanged_at_box);
    EXPECT_EQ(editor.image.reply_mark(), 0xAA);
    EXPECT_EQ(editor.image.payload(), payload);

    EXPECT_EQ(editor.model.display_baud.text(), "19200,n,8,1");
    EXPECT_EQ(editor.model.code_page.text(), "850+Euro Sign at 0xD5 (CP-858)");
    EXPECT_EQ(editor.model.command_set.index, 9);
    EXPECT_EQ(editor.model.passthru_mode.index, 2);

    EXPECT_TRUE(editor.model.line1.characters_shown());
    EXPECT_TRUE(editor.model.line2.characters_shown());
    const std::vector<std::string> hello = {"", "H", "E", "L", "L", "O", ""};
    EXPECT_EQ(std::vector<std::string>(editor.model.line1.chars.begin(),
                                       editor.model.line1.chars.begin() + 7),
              hello);
    EXPECT_EQ(editor.model.line2.chars[1], "A");
    EXPECT_EQ(editor.model.line2.chars[2], "");
    EXPECT_EQ(editor.model.line2.chars[3], "B");

    // The character page keeps what it showed.
    EXPECT_EQ(editor.model.character_dots, page_before.character_dots);
    EXPECT_EQ(editor.model.character_code, "41");
    EXPECT_EQ(editor.model.character_caption, page_before.character_caption);
    EXPECT_EQ(editor.udc_number, 4);
    EXPECT_EQ(editor.udc_start, 87);
}

namespace {

struct ListCase {
    const char* name;
    int position;
    std::uint8_t value;
    ListBox EditorModel::*list;
    int before;
    int after;
};

void PrintTo(const ListCase& c, std::ostream* os) {
    *os << c.name;
}

class ListConditionTest : public ReadTest, public ::testing::WithParamInterface<ListCase> {};

} // namespace

TEST_P(ListConditionTest, CodeIsAppliedOnlyWhenItNamesAnEntry) {
    const ListCase& c = GetParam();
    ListBox& list = editor.model.*c.list;
    list.select(c.before);
    set_reply(c.position, c.value);
    read_from_display(editor);
    EXPECT_EQ(list.index, c.after);
    EXPECT_EQ(editor.image[c.position], c.value); // kept in the image either way
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ListConditionTest,
    ::testing::Values(
        ListCase{"BaudRate1", position::display_baud, 1, &EditorModel::display_baud, 0, 1},
        ListCase{"BaudRate2Kept", position::display_baud, 2, &EditorModel::display_baud, 1, 1},
        ListCase{"BaudRate4Kept", position::display_baud, 4, &EditorModel::display_baud, 1, 1},
        ListCase{"Char0", position::code_page, 0, &EditorModel::code_page, 5, 0},
        ListCase{"Char35", position::code_page, 35, &EditorModel::code_page, 5, 35},
        ListCase{"Char36Kept", position::code_page, 36, &EditorModel::code_page, 5, 5},
        ListCase{"Command9", position::command_set, 9, &EditorModel::command_set, 3, 9},
        ListCase{"Command12Kept", position::command_set, 12, &EditorModel::command_set, 3, 3},
        ListCase{"Command20Kept", position::command_set, 20, &EditorModel::command_set, 3, 3},
        ListCase{"Passthru2", position::passthru_mode, 2, &EditorModel::passthru_mode, 1, 2},
        ListCase{"Passthru3Kept", position::passthru_mode, 3, &EditorModel::passthru_mode, 1, 1},
        ListCase{"Passthru255Kept", position::passthru_mode, 255, &EditorModel::passthru_mode, 1,
                 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReadTest, SilentDisplayNamesThePortAsChosen) {
    display.reply.clear();
    const SettingsImage image_before = editor.image;
    for (auto choose :
         std::vector<std::function<void()>>{[&] { editor.model.host_port.select(1); },
                                            [&] { editor.model.host_port.type("/dev/ttyUSB0"); }}) {
        choose();
        fake.boxes.shown.clear();
        const std::uint32_t start = fake.clock.now;
        read_from_display(editor);
        EXPECT_EQ(boxes(),
                  std::vector<std::string>{editor.model.host_port.text() + " can't be open !!"});
        EXPECT_EQ(fake.clock.now - start, settle_ms() + 2001);
    }
    EXPECT_EQ(boxes(), std::vector<std::string>{"/dev/ttyUSB0 can't be open !!"});
    EXPECT_EQ(editor.image, image_before);
}

namespace {

struct FailedRead {
    const char* name;
    std::function<void(ReadTest&)> arrange;
    const char* box;       // nullptr: the text of Comm with " can't be open !!"
    std::uint32_t ends_at; // from the request
};

void PrintTo(const FailedRead& f, std::ostream* os) {
    *os << f.name;
}

class FailedReadTest : public ReadTest, public ::testing::WithParamInterface<FailedRead> {};

} // namespace

TEST_P(FailedReadTest, LeavesImageAndEditorAsTheyWere) {
    const FailedRead& f = GetParam();
    f.arrange(*this);
    const SettingsImage image_before = editor.image;
    const EditorView before = view_of(editor);

    read_from_display(editor);

    const std::string box = f.box ? f.box : "Com 1 can't be open !!";
    EXPECT_EQ(boxes(), std::vector<std::string>{box});
    EXPECT_EQ(fake.clock.now, settle_ms() + f.ends_at);
    EXPECT_EQ(editor.image, image_before);
    EXPECT_TRUE(view_of(editor) == before);
    EXPECT_EQ(port.closes, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, FailedReadTest,
    ::testing::Values(
        FailedRead{"Silent", [](ReadTest& t) { t.display.reply.clear(); }, nullptr, 2001},
        FailedRead{"OnlyHundredBytes", [](ReadTest& t) { t.display.reply.resize(100); },
                   receive_check_error, 20 + 3001},
        FailedRead{"WrongMark", [](ReadTest& t) { t.display.reply[0] = 0x00; }, receive_check_error,
                   20},
        FailedRead{"RestTooLate",
                   [](ReadTest& t) {
                       // Bytes arriving 3001 ms on are in time for the read that
                       // follows the last poll; one more millisecond is not.
                       t.display.reply_delay_ms = 500;
                       t.display.rest_delay_ms = 3002;
                   },
                   receive_check_error, 500 + 3001},
        FailedRead{"LineNeverDrains", [](ReadTest& t) { t.port.never_drains = true; }, nullptr,
                   1001},
        FailedRead{"LostDuringRequest", [](ReadTest& t) { t.port.lose_after_bytes = 1; }, nullptr,
                   0},
        FailedRead{"LostAwaitingTheReply",
                   [](ReadTest& t) {
                       t.display.reply_delay_ms = 1500;
                       t.port.lose_in(settle_ms() + 700);
                   },
                   nullptr, 700},
        FailedRead{"LostDuringTheReply",
                   [](ReadTest& t) {
                       t.display.rest_delay_ms = 1000;
                       t.port.lose_in(settle_ms() + 20 + 400);
                   },
                   receive_check_error, 20 + 400}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReadTest, SecondLimitCountsFromTheFirstByte) {
    display.reply_delay_ms = 500;
    display.rest_delay_ms = 3000; // 3500 ms after the request, 3000 after the first byte
    read_from_display(editor);
    EXPECT_EQ(boxes(), std::vector<std::string>{"Upload O.K!"});
    EXPECT_EQ(fake.clock.now, settle_ms() + 3500);
}

TEST_F(ReadTest, BytesBeyondTheReplyAreIgnored) {
    display.reply.insert(display.reply.end(), {0x01, 0x02, 0x03});
    read_from_display(editor);
    EXPECT_EQ(boxes(), std::vector<std::string>{"Upload O.K!"});
    EXPECT_EQ(editor.image.payload(), payload);
}

TEST_F(ReadTest, AStrayMarkIsNotTakenForTheReplysOwn) {
    port.input = {0xAA};                        // waiting when the port opens
    port.arrive_after_sent(1, 0, {0xAA, 0x00}); // between the two request bytes
    read_from_display(editor);
    EXPECT_EQ(boxes(), std::vector<std::string>{"Upload O.K!"});
    EXPECT_EQ(editor.image.payload(), payload);
}

TEST_F(ReadTest, NoiseTrailingOneReplyIsNotTakenForTheNext) {
    for (int i = 0; i < 30; ++i)
        display.trailing.push_back(i % 2 ? 0x55 : 0xAA);
    read_from_display(editor);
    read_from_display(editor);
    EXPECT_EQ(boxes(), (std::vector<std::string>{"Upload O.K!", "Upload O.K!"}));
    EXPECT_EQ(editor.image.payload(), payload);
}

TEST_F(ReadTest, AfterALostDeviceTheNextReadWorks) {
    display.rest_delay_ms = 1000;
    port.lose_in(100);
    read_from_display(editor);
    EXPECT_EQ(boxes(), std::vector<std::string>{receive_check_error});

    fake.clock.advance(5000); // the operator reads the box and tries again
    port.read_all();          // the lost session's late bytes are not this read's business
    display.rest_delay_ms.reset();
    read_from_display(editor);
    EXPECT_EQ(boxes(), (std::vector<std::string>{receive_check_error, "Upload O.K!"}));
    EXPECT_EQ(editor.image.payload(), payload);
}

TEST_F(ReadTest, ALineThatNeverFallsQuietIsAPortFaultAndNothingIsSent) {
    for (std::uint32_t at = 0; at < 2'000; ++at)
        port.arrive_in(at, {0xD0});
    const SettingsImage image_before = editor.image;

    read_from_display(editor);

    EXPECT_TRUE(port.sent.empty());
    const PortFailure never_quiet{PortFailure::Kind::NeverQuiet,
                                  *device_for(PortChoice{1, ""}, this_host()).device,
                                  never_quiet_words};
    ASSERT_EQ(boxes(),
              std::vector<std::string>{port_failure_message("Com 1", "9600,n,8,1", never_quiet)});
    EXPECT_NE(boxes()[0].find("Reason: the line never fell quiet: something keeps sending on it."),
              std::string::npos)
        << boxes()[0];
    EXPECT_EQ(editor.image, image_before);
    EXPECT_EQ(port.closes, 1);
}

TEST_F(ReadTest, PortThatCannotBeOpenedIsReportedOnceAndNothingChanges) {
    const PortFailure failure{PortFailure::Kind::InUse, "/dev/ttyS1", "Device or resource busy"};
    port.open_failure = failure;
    editor.model.host_port.select(1);
    const SettingsImage image_before = editor.image;

    read_from_display(editor);

    EXPECT_TRUE(port.sent.empty());
    EXPECT_EQ(boxes(),
              std::vector<std::string>{port_failure_message("Com 2", "9600,n,8,1", failure)});
    EXPECT_EQ(editor.image, image_before);
}
