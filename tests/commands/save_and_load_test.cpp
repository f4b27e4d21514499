#include "commands/save_and_load.h"

#include "commands/defaults.h"
#include "commands/udc_page.h"
#include "commands/welcome_lines.h"
#include "message/message_line.h"
#include "settings/option_lists.h"
#include "support/fake_services.h"
#include "udc/slot_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace pds;

namespace {

using Bytes = std::vector<std::uint8_t>;

// What a load may change, gathered so that "nothing changed" is one comparison.
struct Shown {
    SettingsImage image;
    int baud_rate, char_set, command, passthru;
    std::vector<std::string> l1a, l1h, l2a, l2h;
    MessageView l1_view, l2_view;
    std::string udc_text, udc_label;
    DotGrid map;
    int udc_number, udc_start;
    bool operator==(const Shown&) const = default;
};

// The editor right after start-up.
struct SettingsFileTest : ::testing::Test, fakes::EditorFixture {
    SettingsFileTest() {
        fill_option_lists(editor.model);
        set_all_default(editor);
    }

    Shown shown() const {
        const auto& m = editor.model;
        return {editor.image,          m.display_baud.index, m.code_page.index, m.command_set.index,
                m.passthru_mode.index, m.line1.chars,        m.line1.hex,       m.line2.chars,
                m.line2.hex,           m.line1.view,         m.line2.view,      m.character_code,
                m.character_caption,   m.character_dots,     editor.udc_number, editor.udc_start};
    }
    void choose(const std::string& path, const std::string& bare) {
        fake.dialog.answers.push_back({path, bare});
    }
    Bytes& file(const std::string& path) { return fake.files.files[path]; }
    std::vector<std::string> texts() const { return fake.boxes.texts(); }

    // Puts the editor on character `number`, showing its slot, as the step buttons would.
    void go_to_character(int number) {
        while (editor.udc_number < number)
            next_character(editor);
    }
};

// A valid image whose every byte tells where it came from.
Bytes distinct_image() {
    Bytes bytes(image_size);
    for (int i = 0; i < image_size; ++i)
        bytes[i] = static_cast<std::uint8_t>(0x20 + i % 0x5F);
    bytes[1] = 1;     // BaudRate: last entry
    bytes[3] = 35;    // Char: last entry
    bytes[5] = 9;     // Command: last entry
    bytes[67] = 2;    // Passthru: last entry
    bytes[68] = 0x5A; // character 1's code
    return bytes;
}

} // namespace

TEST_F(SettingsFileTest, SaveAfterStartUpWritesTheFactoryImage) {
    choose("/data/new.vfd", "new.vfd");
    save_to_file(editor);

    const Bytes expected_start = {0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x2A, 0x56, 0x46, 0x44, 0x20,
                                  0x44, 0x49, 0x53, 0x50, 0x4C, 0x41, 0x59, 0x20, 0x4F, 0x52, 0x42,
                                  0x49, 0x54, 0x20, 0x2A, 0x2A, 0x2A, 0x48, 0x41, 0x56, 0x45, 0x20,
                                  0x41, 0x20, 0x4E, 0x49, 0x43, 0x45, 0x20, 0x44, 0x41, 0x59, 0x20,
                                  0x41, 0x4E, 0x44, 0x20, 0x54, 0x48, 0x41, 0x4E, 0x4B, 0x20, 0x59,
                                  0x4F, 0x55, 0x2A, 0x2A, 0x00, 0x00, 0x00, 0x00, 0x00};
    Bytes expected = expected_start;
    expected.resize(image_size, 0x00);
    EXPECT_EQ(file("/data/new.vfd"), expected);

    ASSERT_EQ(fake.dialog.asked.size(), 1u);
    EXPECT_EQ(fake.dialog.asked[0].first, "save");
    EXPECT_EQ(fake.dialog.asked[0].second.description, "VFD Files(*.bin) ");
    EXPECT_EQ(fake.dialog.asked[0].second.pattern, "*.vfd");
    EXPECT_EQ(editor.file_name, "/data/new.vfd");
    EXPECT_TRUE(editor.model.line1.characters_shown());
    EXPECT_TRUE(editor.model.line2.characters_shown());
    EXPECT_TRUE(texts().empty());
}

TEST_F(SettingsFileTest, SaveWritesTheTableAsStoredNotAsDrawn) {
    editor.image[81] = 0x48; // character 3, kept by the defaults
    editor.image[82] = 0x7F;
    toggle_dot(editor, 1, 0); // drawn on character 1, never stepped away from
    editor.model.character_code = "41";
    choose("/data/a.vfd", "a.vfd");
    save_to_file(editor);
    EXPECT_EQ(file("/data/a.vfd")[68], 0x00);
    EXPECT_EQ(file("/data/a.vfd")[69], 0x00);
    EXPECT_EQ(file("/data/a.vfd")[80], 0x48);
    EXPECT_EQ(file("/data/a.vfd")[81], 0x7F);
}

TEST_F(SettingsFileTest, SaveRefusesTheNameOrbitVfdInAnyFolder) {
    select_view(editor.model.line2, MessageView::Hex, chosen_characters(editor.model));
    const Shown before = shown();
    for (const std::string folder : {"/data/", "/tmp/other/"}) {
        choose(folder + "ORBIT.vfd", "ORBIT.vfd");
        save_to_file(editor);
        EXPECT_EQ(editor.file_name, folder + "ORBIT.vfd");
    }
    EXPECT_EQ(texts(),
              (std::vector<std::string>{"ORBIT.vfd can't be saved", "ORBIT.vfd can't be saved"}));
    EXPECT_EQ(fake.boxes.shown[0].title, "");
    EXPECT_EQ(shown(), before); // nothing captured, no view switched
    EXPECT_EQ(fake.files.writes, 0);

    for (const std::string bare : {"orbit.vfd", "ORBIT.VFD", "ORBIT.vfd.bak"}) {
        choose("/data/" + bare, bare);
        save_to_file(editor);
        EXPECT_EQ(fake.files.files.count("/data/" + bare), 1u) << bare;
    }
    EXPECT_EQ(texts().size(), 2u);
}

TEST_F(SettingsFileTest, CancelledSaveChangesNothing) {
    editor.file_name = "/data/old.vfd";
    select_view(editor.model.line1, MessageView::Hex, chosen_characters(editor.model));
    const Shown before = shown();
    save_to_file(editor); // the scripted dialog answers like Cancel
    EXPECT_EQ(editor.file_name, "");
    EXPECT_EQ(shown(), before);
    EXPECT_EQ(fake.files.writes, 0);
    EXPECT_TRUE(texts().empty());
}

TEST_F(SettingsFileTest, FailedSaveNamesTheFileAndKeepsTheOldOne) {
    const Bytes old(200, 0xAB);
    file("/ro/keep.vfd") = old;
    fake.files.read_only["/ro/keep.vfd"] = true;
    choose("/ro/keep.vfd", "keep.vfd");
    save_to_file(editor);

    EXPECT_EQ(file("/ro/keep.vfd"), old);
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    const std::string message = fake.boxes.shown[0].text;
    EXPECT_NE(message.find("/ro/keep.vfd"), std::string::npos) << message;
    EXPECT_NE(message.find("Permission denied"), std::string::npos) << message;
    EXPECT_TRUE(editor.model.line1.characters_shown());
    EXPECT_TRUE(editor.model.line2.characters_shown());
    EXPECT_EQ(editor.image[6], 1); // the capture stands
}

TEST_F(SettingsFileTest, SaveThenLoadGivesEverythingBack) {
    auto& m = editor.model;
    m.display_baud.select(1);
    m.code_page.select(35);
    m.command_set.select(0);
    m.passthru_mode.select(2);
    m.line1.chars[1] = "\xC3\xA9"; // é, code 0xE9
    m.line1.chars[20] = "~";
    select_view(m.line2, MessageView::Hex, chosen_characters(m));
    m.line2.hex[1] = "7F";
    for (int k = 34; k <= 40; ++k) // filled: empty hex cells would shift the later ones
        m.line2.hex[k] = "01";
    for (int number = 1; number <= 9; ++number) {
        m.character_code = udc_code_text(static_cast<std::uint8_t>(0x30 + number));
        toggle_dot(editor, 1 + number % 5, number % 7);
        if (number < 9)
            next_character(editor);
    }
    editor.udc_code = 0x39; // character 9 is stored by hand: ">>" stops at the last one
    map_save(editor);
    for (int p : {1, 3, 5, 67, 123, 126})
        editor.image[p] = static_cast<std::uint8_t>(0xC0 + p % 64);

    choose("/data/round.vfd", "round.vfd");
    save_to_file(editor);
    const SettingsImage saved = editor.image;
    const Shown after_save = shown();

    set_all_default(editor);
    editor.image.clear();
    go_to_character(5);
    choose("/data/round.vfd", "round.vfd");
    load_from_file(editor);

    EXPECT_EQ(editor.image, saved);
    EXPECT_EQ(m.display_baud.index, 1);
    EXPECT_EQ(m.code_page.index, 35);
    EXPECT_EQ(m.command_set.index, 0);
    EXPECT_EQ(m.passthru_mode.index, 2);
    EXPECT_EQ(m.line1.chars, after_save.l1a);
    EXPECT_EQ(m.line1.chars[1], "\xC3\xA9");
    EXPECT_EQ(m.line2.chars, after_save.l2a);
    EXPECT_TRUE(m.line1.characters_shown());
    EXPECT_TRUE(m.line2.characters_shown());
    for (int number = 1; number <= 9; ++number) {
        const int start = udc_slot_start(number);
        EXPECT_EQ(editor.image[start], 0x30 + number) << number;
        EXPECT_EQ(editor.image[start + 1 + number % 5], 1 << (number % 7)) << number;
    }
    EXPECT_EQ(editor.udc_number, 1);
    EXPECT_EQ(editor.udc_start, 69);
    EXPECT_EQ(m.character_caption, "User Defined Character  1");
    EXPECT_EQ(m.character_code, "31");
    DotGrid character1;
    character1.set(2, 1, true);
    EXPECT_EQ(m.character_dots, character1);
    ASSERT_EQ(fake.boxes.shown.size(), 1u); // only the confirmation
    EXPECT_EQ(fake.boxes.shown[0], (fakes::Box{"Are you sure to Load ?", "Load File", true}));
    EXPECT_EQ(fake.dialog.asked.back().first, "open");
    EXPECT_EQ(fake.dialog.asked.back().second.description, "VFD Files(*.vfd) ");
    EXPECT_EQ(fake.dialog.asked.back().second.pattern, "*.vfd");
}

TEST_F(SettingsFileTest, LoadShowsTheFileInTheCells) {
    Bytes bytes = distinct_image();
    bytes[6] = 0x41;
    bytes[26] = 0x00;
    file("/data/in.vfd") = bytes;
    bytes.resize(300, 0xEE); // a longer file loads from its first 126 bytes
    file("/data/long.vfd") = bytes;

    for (const char* path : {"/data/in.vfd", "/data/long.vfd"}) {
        set_all_default(editor);
        choose(path, "x");
        load_from_file(editor);
        EXPECT_EQ(editor.model.line1.chars[1], "A") << path;
        EXPECT_EQ(editor.model.line2.chars[1], "") << path;
        EXPECT_EQ(editor.model.code_page.index, 35) << path;
        EXPECT_EQ(editor.model.character_code, "5A") << path;
        EXPECT_EQ(editor.image[126], bytes[125]) << path;
        EXPECT_EQ(editor.file_name, path);
    }
    EXPECT_EQ(texts().size(), 2u); // the two confirmations
}

TEST_F(SettingsFileTest, RefusedFileChangesNothing) {
    struct Case {
        const char* name;
        Bytes bytes;
        bool exists = true;
    };
    auto with = [](int position, std::uint8_t value) {
        Bytes bytes = distinct_image();
        bytes[position - 1] = value;
        return bytes;
    };
    Bytes short_file = distinct_image();
    short_file.pop_back();
    const std::vector<Case> cases = {
        {"missing file", {}, false},      {"empty file", {}},
        {"125 bytes", short_file},        {"BaudRate byte 2", with(2, 2)},
        {"Char byte 36", with(4, 36)},    {"Command byte 10", with(6, 10)},
        {"Passthru byte 3", with(68, 3)}, {"Passthru byte 255", with(68, 255)},
    };

    // A worked-on editor: lists moved, line 1 edited, the page on character 4 with a drawing.
    auto& m = editor.model;
    editor.image[position::udc_table + 18] = 0x44; // character 4's code
    m.code_page.select(12);
    m.line1.chars[3] = "Q";
    go_to_character(4);
    toggle_dot(editor, 3, 3);

    for (const auto& c : cases) {
        fake.files.files.clear();
        if (c.exists)
            file("/data/bad.vfd") = c.bytes;
        fake.boxes.shown.clear();
        select_view(m.line2, MessageView::Hex,
                    chosen_characters(m)); // must come back in its character view
        select_view(m.line2, MessageView::Characters, chosen_characters(m));
        const Shown before = shown();
        select_view(m.line2, MessageView::Hex, chosen_characters(m));

        choose("/data/bad.vfd", "bad.vfd");
        load_from_file(editor);
        // A file that cannot be read says why, as a save does; one that is read but refused
        // says "Error".
        const std::string refusal =
            c.exists ? "Error" : load_failure_message("/data/bad.vfd", "No such file or directory");
        EXPECT_EQ(texts(), (std::vector<std::string>{"Are you sure to Load ?", refusal})) << c.name;
        EXPECT_EQ(fake.boxes.shown.back().title, "") << c.name;
        EXPECT_EQ(shown(), before) << c.name;
        EXPECT_EQ(editor.file_name, "/data/bad.vfd") << c.name;
    }
}

TEST_F(SettingsFileTest, ListBytesAtTheirLastEntryAreAccepted) {
    file("/data/edge.vfd") = distinct_image(); // 1, 35, 9 and 2
    choose("/data/edge.vfd", "edge.vfd");
    load_from_file(editor);
    EXPECT_EQ(texts(), std::vector<std::string>{"Are you sure to Load ?"});
    EXPECT_EQ(editor.model.display_baud.index, 1);
    EXPECT_EQ(editor.model.code_page.index, 35);
    EXPECT_EQ(editor.model.command_set.index, 9);
    EXPECT_EQ(editor.model.passthru_mode.index, 2);
}

TEST_F(SettingsFileTest, CancelledLoadKeepsTheEditor) {
    file("/data/in.vfd") = distinct_image();
    go_to_character(5);
    toggle_dot(editor, 4, 2);
    select_view(editor.model.line1, MessageView::Hex, chosen_characters(editor.model));

    // Cancel in the dialog: not even the question is asked.
    Shown before = shown();
    load_from_file(editor);
    EXPECT_EQ(editor.file_name, "");
    EXPECT_TRUE(fake.boxes.shown.empty());
    EXPECT_EQ(shown(), before);

    // Cancel to the question: nothing read, both lines end in their character view.
    select_view(editor.model.line1, MessageView::Characters, chosen_characters(editor.model));
    before = shown();
    select_view(editor.model.line1, MessageView::Hex, chosen_characters(editor.model));
    fake.boxes.confirm_answer = false;
    choose("/data/in.vfd", "in.vfd");
    load_from_file(editor);
    EXPECT_EQ(texts(), std::vector<std::string>{"Are you sure to Load ?"});
    EXPECT_EQ(shown(), before);
    EXPECT_EQ(editor.udc_number, 5);
    EXPECT_EQ(editor.file_name, "/data/in.vfd");
}
