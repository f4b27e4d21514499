// Each set's actions against golden sequences written here from the public manuals and drivers
// (not from the table under test): a byte wrong in either fails.
#include "display_sets/command_sets.h"

#include "support/golden_bytes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

using namespace pds;

namespace {

using golden::Bytes;
using golden::hex;
using golden::text;
using golden::operator+;

const Bytes hello_20 = text("HELLO               "); // "HELLO" padded to the 20 columns
const Bytes blank_20 = text("                    ");

std::string shown(const std::vector<Bytes>& writes) {
    std::string out;
    for (const auto& write : writes) {
        out += "[";
        for (std::size_t i = 0; i < write.size(); ++i) {
            char cell[4];
            std::snprintf(cell, sizeof cell, i ? " %02X" : "%02X", write[i]);
            out += cell;
        }
        out += "]";
    }
    return out;
}

enum class Action {
    Initialize,
    Clear,
    Line1,
    Line2,
    Brightness1,
    Brightness2,
    Brightness3,
    Brightness4,
    SelfTest
};

DisplayWrites act(int set, Action action) {
    const Bytes hello = text("HELLO");
    switch (action) {
    case Action::Initialize:
        return initialize_writes(set);
    case Action::Clear:
        return clear_writes(set);
    case Action::Line1:
        return line_writes(set, 1, hello);
    case Action::Line2:
        return line_writes(set, 2, hello);
    case Action::Brightness1:
        return brightness_writes(set, 1);
    case Action::Brightness2:
        return brightness_writes(set, 2);
    case Action::Brightness3:
        return brightness_writes(set, 3);
    case Action::Brightness4:
        return brightness_writes(set, 4);
    case Action::SelfTest:
        return self_test_writes(set);
    }
    return {};
}

struct Golden {
    const char* set;
    Action action;
    std::vector<Bytes> writes; // empty with `refusal` set: refused
    const char* refusal = "";
};

// Sources: EPSON: XP8200 EPSON list, Epson DM-D110 technical document (ESC @ p.49, US @ p.59),
// lcdproc serialPOS_epson.c (ESC @, US $ x y, US X 1..4). CD5220: Partner CD5220 manual, XP8200,
// lcdproc serialPOS_cd5220.c (ESC @, ESC Q A/B .. CR, ESC * 1..4), P07303 7.2 (US @).
// UTC/S: UTC Retail 3190/PD1200 guides, Posiflex PD-2609UE (US, DC1, DLE p, EOT n).
// UTC/P: Posiflex PD-2609UE, Partner/HP lists (ESC u A/B .. CR; empty ones clear).
// AEDEX/EMAX: EVO-RD4 p.23, lcdproc serialPOS_aedex.c ("!#1"/"!#2" .. CR). ADM788: EVO-RD4,
// Posiflex (FF, SO/SI .. CR). LogicControl: LCI manuals, lcdproc serialPOS_logic_controls.c
// (US DC1 init, DLE 00 / DLE 14, EOT 20/40/60/FF).
const std::vector<Golden>& goldens() {
    static const std::vector<Golden> table = {
        {"EPSON", Action::Initialize, {hex("1B 40")}},
        {"EPSON", Action::Clear, {hex("0C")}},
        {"EPSON", Action::Line1, {hex("1F 24 01 01") + hello_20}},
        {"EPSON", Action::Line2, {hex("1F 24 01 02") + hello_20}},
        {"EPSON", Action::Brightness1, {hex("1F 58 01")}},
        {"EPSON", Action::Brightness2, {hex("1F 58 02")}},
        {"EPSON", Action::Brightness3, {hex("1F 58 03")}},
        {"EPSON", Action::Brightness4, {hex("1F 58 04")}},
        {"EPSON", Action::SelfTest, {hex("1F 40")}},

        {"CD5220", Action::Initialize, {hex("1B 40")}},
        {"CD5220", Action::Clear, {hex("0C")}},
        {"CD5220", Action::Line1, {hex("1B 51 41") + hello_20 + hex("0D")}},
        {"CD5220", Action::Line2, {hex("1B 51 42") + hello_20 + hex("0D")}},
        {"CD5220", Action::Brightness1, {hex("1B 2A 01")}},
        {"CD5220", Action::Brightness4, {hex("1B 2A 04")}},
        {"CD5220", Action::SelfTest, {hex("1F 40")}},

        {"UTC/S", Action::Initialize, {}},
        {"UTC/S", Action::Clear, {hex("1F")}},
        {"UTC/S", Action::Line1, {hex("11"), hex("10 00") + hello_20}},
        {"UTC/S", Action::Line2, {hex("11"), hex("10 14") + hello_20}},
        {"UTC/S", Action::Brightness1, {hex("04 20")}},
        {"UTC/S", Action::Brightness2, {hex("04 40")}},
        {"UTC/S", Action::Brightness3, {hex("04 60")}},
        {"UTC/S", Action::Brightness4, {hex("04 FF")}},
        {"UTC/S", Action::SelfTest, {}, "the command set UTC/S has no self-test command"},

        {"UTC/P", Action::Initialize, {}},
        {"UTC/P", Action::Clear, {hex("1B 75 41 0D"), hex("1B 75 42 0D")}},
        {"UTC/P", Action::Line1, {hex("1B 75 41") + hello_20 + hex("0D")}},
        {"UTC/P", Action::Line2, {hex("1B 75 42") + hello_20 + hex("0D")}},
        {"UTC/P", Action::Brightness2, {}, "the command set UTC/P has no brightness command"},
        {"UTC/P", Action::SelfTest, {}, "the command set UTC/P has no self-test command"},

        {"AEDEX",
         Action::Clear,
         {hex("21 23 31") + blank_20 + hex("0D"), hex("21 23 32") + blank_20 + hex("0D")}},
        {"AEDEX", Action::Line1, {hex("21 23 31") + hello_20 + hex("0D")}},
        {"AEDEX", Action::Line2, {hex("21 23 32") + hello_20 + hex("0D")}},
        {"AEDEX", Action::Brightness4, {}, "the command set AEDEX has no brightness command"},
        {"AEDEX", Action::SelfTest, {}, "the command set AEDEX has no self-test command"},

        {"EMAX",
         Action::Clear,
         {hex("21 23 31") + blank_20 + hex("0D"), hex("21 23 32") + blank_20 + hex("0D")}},
        {"EMAX", Action::Line1, {hex("21 23 31") + hello_20 + hex("0D")}},
        {"EMAX", Action::Line2, {hex("21 23 32") + hello_20 + hex("0D")}},
        {"EMAX", Action::Brightness1, {}, "the command set EMAX has no brightness command"},

        {"ADM788", Action::Initialize, {}},
        {"ADM788", Action::Clear, {hex("0C")}},
        {"ADM788", Action::Line1, {hex("0E") + hello_20 + hex("0D")}},
        {"ADM788", Action::Line2, {hex("0F") + hello_20 + hex("0D")}},
        {"ADM788", Action::Brightness3, {}, "the command set ADM788 has no brightness command"},
        {"ADM788", Action::SelfTest, {}, "the command set ADM788 has no self-test command"},

        {"LogicControl", Action::Initialize, {}},
        {"LogicControl", Action::Clear, {hex("1F")}},
        {"LogicControl", Action::Line1, {hex("11"), hex("10 00") + hello_20}},
        {"LogicControl", Action::Line2, {hex("11"), hex("10 14") + hello_20}},
        {"LogicControl", Action::Brightness1, {hex("04 20")}},
        {"LogicControl", Action::Brightness4, {hex("04 FF")}},
        {"LogicControl", Action::SelfTest, {}, "the command set LogicControl has no self-test"},

        {"ORBIT", Action::Clear, {}, "the command set ORBIT is not supported"},
        {"ORBIT", Action::Line1, {}, "the command set ORBIT is not supported"},
        {"DSP800", Action::Clear, {}, "the command set DSP800 is not supported"},
        {"DSP800", Action::Line2, {}, "the command set DSP800 is not supported"},
        {"DSP800", Action::Brightness1, {}, "the command set DSP800 is not supported"},
    };
    return table;
}

TEST(CommandSets, EachActionSendsTheDocumentedBytes) {
    for (const Golden& golden : goldens()) {
        SCOPED_TRACE(std::string(golden.set) + " action " +
                     std::to_string(static_cast<int>(golden.action)));
        const auto set = command_set_of_name(golden.set);
        ASSERT_TRUE(set.has_value());
        const DisplayWrites got = act(*set, golden.action);
        EXPECT_EQ(shown(got.writes), shown(golden.writes));
        if (*golden.refusal) {
            EXPECT_NE(got.refusal.find(golden.refusal), std::string::npos) << got.refusal;
        } else {
            EXPECT_EQ(got.refusal, "");
        }
    }
}

TEST(CommandSets, NothingSentEverWritesTheDisplaysMemory) {
    // The commands that store into a display (EPSON US ( E, CD5220 ESC s 1 / ESC b / ESC #,
    // the attention-code changes of UTC/P and AEDEX) must appear in no write of any action.
    const std::vector<Bytes> storing = {hex("1F 28"), hex("1B 73 01"), hex("1B 62"),
                                        hex("1B 23"), hex("1B 75 48"), hex("21 23 38"),
                                        hex("1B 64")};
    for (int set = 0; set < 10; ++set)
        for (const Golden& golden : goldens()) {
            for (const auto& write : act(set, golden.action).writes)
                for (const auto& bad : storing)
                    EXPECT_EQ(std::search(write.begin(), write.end(), bad.begin(), bad.end()),
                              write.end())
                        << command_set_name(set) << " sends " << shown({write});
        }
}

TEST(CommandSets, LinesAreCutOrPaddedToTwentyAndRefuseCommandCodes) {
    const int epson = *command_set_of_name("EPSON");
    const Bytes long_text = text("ABCDEFGHIJKLMNOPQRSTUVWXY"); // 25
    EXPECT_EQ(shown(line_writes(epson, 1, long_text).writes),
              shown({hex("1F 24 01 01") + text("ABCDEFGHIJKLMNOPQRST")}));
    EXPECT_EQ(shown(line_writes(epson, 2, {}).writes), shown({hex("1F 24 01 02") + blank_20}));
    // Codes past 0x7F are the code page's characters and go out as they are.
    EXPECT_EQ(shown(line_writes(epson, 1, hex("80 E9 FF")).writes),
              shown({hex("1F 24 01 01 80 E9 FF") + Bytes(17, ' ')}));
    // A control code inside a line would be a command in every set.
    for (const Bytes& bad : {hex("41 0D 42"), hex("1B"), hex("7F")}) {
        const DisplayWrites refused = line_writes(epson, 1, bad);
        EXPECT_TRUE(refused.writes.empty());
        EXPECT_NE(refused.refusal.find("is a command"), std::string::npos);
    }
    // Past the 20 columns nothing is sent, so nothing there is refused.
    EXPECT_EQ(line_writes(epson, 1, long_text + hex("0D")).refusal, "");
    EXPECT_FALSE(line_writes(epson, 3, long_text).refusal.empty());
}

TEST(CommandSets, NamesAndLevels) {
    EXPECT_EQ(command_set_of_name("EPSON"), 1);
    EXPECT_EQ(command_set_of_name("epson (default)"), 1);
    EXPECT_EQ(command_set_of_name("logiccontrol"), 9);
    EXPECT_EQ(command_set_of_name("UTC/P"), 3);
    EXPECT_FALSE(command_set_of_name("UTC").has_value());
    EXPECT_FALSE(command_set_of_name("").has_value());
    EXPECT_EQ(command_set_name(7), "CD5220");
    EXPECT_EQ(command_set_name(12), "code 12");
    EXPECT_NE(command_set_refusal(12).find("not in the Command list"), std::string::npos);
    EXPECT_NE(clear_writes(-1).refusal, "");

    const int cd5220 = *command_set_of_name("CD5220");
    for (int level : {0, 5, -1})
        EXPECT_NE(brightness_writes(cd5220, level).refusal.find("1 to 4"), std::string::npos);
    EXPECT_TRUE(lines_lock_commands(cd5220));
    EXPECT_FALSE(lines_lock_commands(*command_set_of_name("EPSON")));
    EXPECT_TRUE(has_self_test(1) && has_self_test(cd5220));
    EXPECT_FALSE(has_self_test(9) || has_self_test(0) || has_brightness(6) || has_brightness(3));
}

} // namespace
