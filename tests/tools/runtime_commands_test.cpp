// The runtime command sets as the virtual display reads them. The bytes of each case are quoted
// from the set's public manuals and drivers (named beside each table), not from any sender of
// this project, so that a wrong byte on either side fails.
#include "command_interpreter.h"
#include "glyphs/code_page_glyphs.h"
#include "settings/option_lists.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pds::display {
namespace {

using Bytes = std::vector<std::uint8_t>;

// "1B 40 'HELLO' 0D": hexadecimal bytes, and text between single quotes taken as it is.
Bytes bytes(std::string_view written) {
    Bytes out;
    for (std::size_t i = 0; i < written.size();) {
        if (written[i] == ' ') {
            ++i;
        } else if (written[i] == '\'') {
            const std::size_t end = written.find('\'', i + 1);
            for (std::size_t k = i + 1; k < end; ++k)
                out.push_back(static_cast<std::uint8_t>(written[k]));
            i = end + 1;
        } else {
            out.push_back(static_cast<std::uint8_t>(
                std::stoi(std::string(written.substr(i, 2)), nullptr, 16)));
            i += 2;
        }
    }
    return out;
}

std::uint8_t code_of_set(std::string_view name) {
    for (std::size_t k = 0; k < command_entries.size(); ++k)
        if (command_entries[k].substr(0, name.size()) == name)
            return static_cast<std::uint8_t>(k);
    ADD_FAILURE() << "no command set " << name;
    return 0;
}

std::uint8_t code_page_named(std::string_view name) {
    for (std::size_t k = 0; k < char_entries.size(); ++k)
        if (char_entries[k].find(name) != std::string_view::npos)
            return static_cast<std::uint8_t>(k);
    ADD_FAILURE() << "no code page " << name;
    return 0;
}

const CodePageCharacters& cp437() {
    return characters_of_code_page(0);
}

std::string line(const Screen& screen, int row) {
    return screen_line_text(screen, row, cp437());
}

std::string padded(std::string_view text) {
    std::string line(text);
    line.resize(Screen::columns, ' ');
    return line;
}

std::string report_lines(CommandInterpreter& interpreter) {
    std::string text;
    for (const auto& report : interpreter.take_reports())
        text += report_text(report, interpreter.set_name(), cp437()) + "\n";
    return text;
}

struct Case {
    const char* set;
    const char* what;
    const char* sent;
    const char* line1;
    const char* line2;
    std::optional<std::uint8_t> brightness = std::nullopt;
    const char* reports = ""; // console lines, each ending in a newline
};

void run_cases(const std::vector<Case>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.set) + ": " + c.what);
        CommandInterpreter interpreter(code_of_set(c.set));
        interpreter.receive(bytes(c.sent));
        EXPECT_EQ(line(interpreter.screen(), 0), padded(c.line1));
        EXPECT_EQ(line(interpreter.screen(), 1), padded(c.line2));
        EXPECT_EQ(interpreter.screen().brightness, c.brightness);
        EXPECT_EQ(report_lines(interpreter), c.reports);
    }
}

// Epson DM-D110 p.44 and p.49, XP8200 EPSON mode, PD-300, lcdproc serialPOS_epson.c.
TEST(RuntimeCommands, Epson) {
    run_cases({
        {"EPSON", "text after ESC @", "'ABC' 1B 40 'HELLO'", "HELLO", ""},
        {"EPSON", "US $ to column 3 of row 2", "1F 24 03 02 'abc'", "", "  abc"},
        {"EPSON", "a full upper line goes on at the lower-left",
         "1F 24 01 01 '0123456789ABCDEFGHIJ' 'K'", "0123456789ABCDEFGHIJ", "K"},
        {"EPSON", "overwrite: the end of the lower line wraps to the upper-left",
         "'abc' 1F 24 14 02 'XY'", "Ybc", "                   X"},
        {"EPSON", "vertical scroll: the lower line moves up", "1F 02 'top' 1F 24 13 02 'XYZ'",
         "                  XY", "Z"},
        {"EPSON", "horizontal scroll: the line moves left", "1F 03 1F 24 13 01 'ABC'",
         "                 ABC", ""},
        {"EPSON", "CLR blanks and homes", "'ABC' 1F 24 01 02 'DEF' 0C 'G'", "G", ""},
        {"EPSON", "CAN blanks the cursor's line", "'ABC' 1F 24 01 02 'DEF' 18 'G'", "ABC", "G"},
        {"EPSON", "HOM", "'ABC' 0B 'D'", "DBC", ""},
        {"EPSON", "BS, HT, CR, LF", "'ABC' 08 08 'x' 09 'y' 0D 'z' 0A 'w'", "zxCy", " w"},
        {"EPSON", "BS at the upper-left goes to the lower-right", "08 'Q'", "",
         "                   Q"},
        {"EPSON", "vertical scroll: HT at the end of the lower line moves it up",
         "1F 02 'top' 1F 24 14 02 'X' 09 'Y'", "                   X", "Y"},
        {"EPSON", "vertical scroll: BS at the upper-left moves the upper line down",
         "1F 02 'AB' 1F 24 01 01 08 'Z'", "                   Z", "AB"},
        {"EPSON", "horizontal scroll: HT at the right end moves the line left",
         "1F 03 1F 24 13 01 'WX' 09 'Y'", "                 WXY", ""},
        {"EPSON", "brightness", "1F 58 01 1F 58 04", "", "", 0x04},
        {"EPSON", "cursor off, blink, code table and international set",
         "1F 43 00 1F 45 00 1B 74 00 1B 52 03 'ok'", "ok", ""},
        {"EPSON", "ESC = 1 sends the bytes on to the printer, ESC = 3 to both",
         "1B 3D 01 'ab' 0C 1B 3D 03 'c'", "c", "", std::nullopt,
         "to the printer port (EPSON): 61 62 0C \"ab.\"\n"},
        {"EPSON", "an unknown peripheral", "1B 3D 04", "", "", std::nullopt,
         "not understood (EPSON): 1B 3D 04\n"},
        {"EPSON", "an unknown escape", "1B 99 'A'", "A", "", std::nullopt,
         "not understood (EPSON): 1B 99\n"},
        {"EPSON", "brightness out of range", "1F 58 05", "", "", std::nullopt,
         "not understood (EPSON): 1F 58 05\n"},
        {"EPSON", "a position off the screen", "1F 24 15 01 1F 24 01 03 'A'", "A", "", std::nullopt,
         "not understood (EPSON): 1F 24 15 01 1F 24 01 03\n"},
        {"EPSON", "user setting mode is refused with its data", "1F 28 45 03 00 01 02 41 'B'", "B",
         "", std::nullopt, "not understood (EPSON): 1F 28 45 03 00 01 02 41\n"},
        {"EPSON", "CD5220's line command is no EPSON command", "1B 51 41 'AB' 0D", "AAB", "",
         std::nullopt, "not understood (EPSON): 1B 51\n"},
    });
}

// Partner CD5220/P07303 7.2 and 9.x, XP8200 CD5220 mode, EVO-RD4 appendix A, Bematech LDX1000,
// lcdproc serialPOS_cd5220.c.
TEST(RuntimeCommands, Cd5220) {
    run_cases({
        {"CD5220", "ESC Q A and ESC Q B", "1B 40 1B 51 41 'HELLO' 0D 1B 51 42 'WORLD' 0D", "HELLO",
         "WORLD"},
        {"CD5220", "a line command replaces the whole line", "'ABCDEFG' 1B 51 41 'xy' 0D", "xy",
         ""},
        {"CD5220", "a line command keeps its first twenty", "1B 51 42 '0123456789ABCDEFGHIJKL' 0D",
         "", "0123456789ABCDEFGHIJ"},
        {"CD5220", "string mode ignores other commands",
         "1B 51 41 'AB' 0D 1B 2A 02 1B 6C 01 02 'x'", "AB", "", std::nullopt,
         "ignored in string mode (CD5220): 1B 2A 02 1B 6C 01 02 78\n"},
        {"CD5220", "CLR ends string mode", "1B 51 41 'AB' 0D 0C 1B 2A 02 'x'", "x", "", 0x02},
        {"CD5220", "CAN ends string mode", "1B 51 42 'AB' 0D 18 'x'", "x", "AB"},
        {"CD5220", "ESC l to column 5 of row 2", "1B 6C 05 02 'X'", "", "    X"},
        {"CD5220", "brightness", "1B 2A 04", "", "", 0x04},
        {"CD5220", "cursor off, international set and code table",
         "1B 5F 00 1B 66 41 1B 63 41 'ok'", "ok", ""},
        {"CD5220", "home two ways", "'ABC' 0B 'x' 1B 6C 03 01 1B 5B 48 'y'", "yBC", ""},
        {"CD5220", "vertical scroll by ESC DC2", "1B 12 1B 6C 14 02 'XY'", "                   X",
         "Y"},
        {"CD5220", "the P07303's US MD2 as well", "1F 02 1B 6C 14 02 'XY'", "                   X",
         "Y"},
        {"CD5220", "overwrite by ESC DC1 after it", "1B 12 1B 11 1B 6C 14 02 'XY'", "Y",
         "                   X"},
        {"CD5220", "cursor moves by ESC [", "'ABC' 1B 5B 44 1B 5B 44 'x' 1B 5B 43 'y' 1B 5B 4B 'z'",
         "AxCy", "z"},
        {"CD5220", "the P07303's US moves", "'ABC' 1F 42 'x' 1F 0A 'y' 1F 0D 'z'",
         "AyC                z", "x"},
        {"CD5220", "ESC = 1 sends the bytes on to the printer until ESC = 2",
         "1B 3D 01 'ab' 1B 40 1B 3D 32 'c'", "c", "", std::nullopt,
         "to the printer port (CD5220): 61 62 1B 40 \"ab.@\"\n"},
        {"CD5220", "the emulation switch is refused", "1B 23 31 'A'", "A", "", std::nullopt,
         "not understood (CD5220): 1B 23 31\n"},
        {"CD5220", "brightness out of range", "1B 2A 00", "", "", std::nullopt,
         "not understood (CD5220): 1B 2A 00\n"},
        {"CD5220", "EPSON's position command is none of CD5220's", "1F 24 01 02 'A'", "A", "",
         std::nullopt, "not understood (CD5220): 1F 24 01 02\n"},
    });
}

// UTC Retail 3190 p.7-8 and PD1200 p.9, P07303 7.3, EVO-RD1, Posiflex PD-2609UE.
TEST(RuntimeCommands, UtcStandard) {
    run_cases({
        {"UTC/S", "lines by DLE", "1F 10 00 'HELLO' 10 14 'WORLD'", "HELLO", "WORLD"},
        {"UTC/S", "US erases everything", "'ABC' 1F 'x'", "x", ""},
        {"UTC/S", "RS homes and clears", "'ABC' 10 14 'DEF' 1E 'x'", "x", ""},
        {"UTC/S", "the last position", "10 27 'X'", "", "                   X"},
        {"UTC/S", "normal mode wraps to the upper-left", "11 10 27 'XY'", "Y",
         "                   X"},
        {"UTC/S", "vertical scroll mode", "12 10 27 'XY'", "                   X", "Y"},
        {"UTC/S", "BS erases, HT steps over, CR and LF", "'ABC' 08 09 'x' 0D 'y' 0A 'z'", "yB x",
         " z"},
        {"UTC/S", "brightness 100 %", "04 FF", "", "", 0xFF},
        {"UTC/S", "brightness 20 %", "04 20", "", "", 0x20},
        {"UTC/S", "cursor off and on, a font", "14 13 1A 01 'ok'", "ok", ""},
        {"UTC/S", "a brightness level the set lacks", "04 50", "", "", std::nullopt,
         "not understood (UTC/S): 04 50\n"},
        {"UTC/S", "a position off the screen", "10 28 'A'", "A", "", std::nullopt,
         "not understood (UTC/S): 10 28\n"},
    });
}

// Logic Controls LD9000/LDX9/PD3000, XP8200 LOGIC mode, HP RP9 p.17, IBM SurePOS 2x20,
// lcdproc serialPOS_logic_controls.c.
TEST(RuntimeCommands, LogicControls) {
    run_cases({
        {"LogicControl", "reset, normal mode, both lines", "1F 11 10 00 'HELLO' 10 14 'WORLD'",
         "HELLO", "WORLD"},
        {"LogicControl", "LF to the same column of the other line", "10 02 'A' 0A 'B'", "  A",
         "   B"},
        {"LogicControl", "LF on the lower line scrolls in DC2", "12 10 14 'AB' 0A 'C'", "AB",
         "  C"},
        {"LogicControl", "CR", "'ABC' 0D 'x'", "xBC", ""},
        {"LogicControl", "BS erases the character it moves onto", "'ABC' 08 08 'x'", "Ax", ""},
        {"LogicControl", "BS erases even what it does not overwrite", "'ABC' 08", "AB", ""},
        {"LogicControl", "HT steps over", "'A' 09 'B'", "A B", ""},
        {"LogicControl", "brightness 40 %", "04 40", "", "", 0x40},
        {"LogicControl", "IBM's test byte is none of the set's", "0F", "", "", std::nullopt,
         "not understood (LogicControl): 0F\n"},
        {"LogicControl", "UTC's home-and-clear is none of the set's", "'A' 1E", "A", "",
         std::nullopt, "not understood (LogicControl): 1E\n"},
    });
}

// P07303 7.4, EVO-RD1, HP RP9 p.12, XP8200, Posiflex PD-2609UE, Logic Controls (UTC220XLT).
TEST(RuntimeCommands, UtcPassThrough) {
    run_cases({
        {"UTC/P", "both lines", "1B 75 41 'HELLO' 0D 1B 75 42 'WORLD' 0D", "HELLO", "WORLD"},
        {"UTC/P", "empty line commands clear",
         "1B 75 41 'AB' 0D 1B 75 42 'CD' 0D 1B 75 41 0D 1B 75 42 0D", "", ""},
        {"UTC/P", "the leftmost twenty are shown", "1B 75 41 '0123456789ABCDEFGHIJKLMN' 0D",
         "0123456789ABCDEFGHIJ", ""},
        {"UTC/P", "two lines in one", "1B 75 49 '0123456789ABCDEFGHIJklm' 0D",
         "0123456789ABCDEFGHIJ", "klm"},
        {"UTC/P", "bare text goes to the printer", "'Hi!' 1B 75 41 'X' 0D", "X", "", std::nullopt,
         "to the printer port (UTC/P): 48 69 21 \"Hi!\"\n"},
        {"UTC/P", "other escapes go to the printer too", "1B 40", "", "", std::nullopt,
         "to the printer port (UTC/P): 1B 40 \".@\"\n"},
        {"UTC/P", "the attention code is never changed", "1B 75 48 31 32 0D 1B 75 41 'X' 0D", "X",
         "", std::nullopt,
         "not understood (UTC/P): 1B 75 48\nto the printer port (UTC/P): 31 32 0D \"12.\"\n"},
    });
}

// EVO-RD4 p.23, HP RP9 p.12, XP8200, Posiflex, Logic Controls LDX9 p.25, Tysso, lcdproc
// serialPOS_aedex.c; EMAX as its AEDEX subset (EVO-RD4, CD5220-RU 10.5, lcdproc serialPOS.c).
TEST(RuntimeCommands, AedexAndEmax) {
    run_cases({
        {"AEDEX", "upper and lower line", "21 23 31 'HELLO' 0D 21 23 32 'WORLD' 0D", "HELLO",
         "WORLD"},
        {"AEDEX", "both lines in one", "'!#9' '0123456789ABCDEFGHIJabc' 0D", "0123456789ABCDEFGHIJ",
         "abc"},
        {"AEDEX", "a short both-lines command blanks the rest", "'!#1AB' 0D '!#2CD' 0D '!#9 ' 0D",
         "", ""},
        {"AEDEX", "stop character trapping", "'!#7' 0D", "", ""},
        {"AEDEX", "bare text goes to the printer", "'ab!c' '!#1X' 0D", "X", "", std::nullopt,
         "to the printer port (AEDEX): 61 62 21 63 \"ab!c\"\n"},
        {"AEDEX", "the attention code is never changed", "'!#8' 20 20 0D '!#1X' 0D", "X", "",
         std::nullopt,
         "not understood (AEDEX): 21 23 38\nto the printer port (AEDEX): 20 20 0D \"  .\"\n"},
        {"AEDEX", "the disputed reset is not carried out", "'!#1X' 0D '!#A' 0D", "X", "",
         std::nullopt, "not understood (AEDEX): 21 23 41\nto the printer port (AEDEX): 0D \".\"\n"},
        {"EMAX", "upper, lower and both lines", "'!#1HELLO' 0D '!#2WORLD' 0D", "HELLO", "WORLD"},
        {"EMAX", "both lines", "'!#9ABCDEFGHIJKLMNOPQRSTuv' 0D", "ABCDEFGHIJKLMNOPQRST", "uv"},
        {"EMAX", "nothing says where bare text goes", "'ab'", "", "", std::nullopt,
         "not understood (EMAX): 61 62\n"},
    });
}

// EVO-RD4 p.23, CD5220-RU 10.6, HP RP9 p.12, Posiflex PD-2609UE p.9.
TEST(RuntimeCommands, Adm788) {
    run_cases({
        {"ADM788", "both lines", "0C 0E 'HELLO' 0D 0F 'WORLD' 0D", "HELLO", "WORLD"},
        {"ADM788", "0E blanks the upper line first", "0E 'ABCDEF' 0E 'X'", "X", ""},
        {"ADM788", "0F blanks the lower line first", "0F 'ABCDEF' 0F 'X' 0D", "", "X"},
        {"ADM788", "clear", "0E 'AB' 0F 'CD' 0C", "", ""},
        {"ADM788", "blink with its disputed parameter", "0E 'A' 11 31", "A1", "", std::nullopt,
         "not understood (ADM788): 11\n"},
    });
}

// Tysso DSP manual 6.2.4-6.2.5; unpos-hw-service Init, ClearScreen, CursorToPosition, SetFont,
// PrintString.
TEST(RuntimeCommands, Dsp800) {
    run_cases({
        {"DSP800", "position and text", "04 01 25 17 04 01 50 31 17 'HELLO' 04 01 50 45 17 'WORLD'",
         "HELLO", "WORLD"},
        {"DSP800", "the last position", "04 01 50 58 17 'X'", "", "                   X"},
        {"DSP800", "clear the full range", "'ABC' 04 01 50 45 17 'DEF' 04 01 43 31 58 17", "", ""},
        {"DSP800", "clear a part", "'ABCDE' 04 01 43 32 33 17", "A  DE", ""},
        {"DSP800", "font", "04 01 49 30 17 'A'", "A", ""},
        {"DSP800", "the save command is refused", "04 01 53 31 17 'A'", "A", "", std::nullopt,
         "not understood (DSP800): 04 01 53 31 17\n"},
        {"DSP800", "a position off the screen", "04 01 50 59 17", "", "", std::nullopt,
         "not understood (DSP800): 04 01 50 59 17\n"},
    });
}

TEST(RuntimeCommands, OrbitUnderstandsNothing) {
    run_cases({
        {"ORBIT", "EPSON's bytes", "1B 40 'HELLO' 1F 58 04", "", "", std::nullopt,
         "not understood (ORBIT): 1B 40 48 45 4C 4C 4F 1F 58 04\n"},
    });
}

TEST(RuntimeCommands, SelfTestShowsAPatternThenThePowerOnState) {
    for (const char* set : {"EPSON", "CD5220"}) {
        SCOPED_TRACE(set);
        CommandInterpreter interpreter(code_of_set(set));
        // Vertical scroll and a brightness first: the test resets the one, not the other.
        interpreter.receive(bytes("1F 02 'ABC' 1F 40"));
        interpreter.receive(bytes(std::string_view(set) == "EPSON" ? "1F 58 02" : "1B 2A 02"));
        interpreter.receive(bytes("1F 40"));
        const auto passing = interpreter.take_passing();
        ASSERT_EQ(passing.size(), 2u);
        EXPECT_EQ(line(passing[1], 0), padded("*** SELF TEST ***"));
        EXPECT_EQ(line(passing[1], 1), "0123456789ABCDEFGHIJ");
        EXPECT_EQ(interpreter.screen().self_tests, 2);
        EXPECT_EQ(interpreter.screen().brightness, 0x02);
        EXPECT_EQ(line(interpreter.screen(), 0), padded(""));
        EXPECT_EQ(interpreter.runtime_state().mode, TextMode::overwrite);
        EXPECT_EQ(report_lines(interpreter), "");
    }
    // No other set has a self-test.
    CommandInterpreter utc(code_of_set("UTC/S"));
    utc.receive(bytes("1F 40"));
    EXPECT_EQ(utc.screen().self_tests, 0);
}

TEST(RuntimeCommands, ReportsOneLinePerRunOfBytes) {
    CommandInterpreter interpreter(code_of_set("EPSON"));
    interpreter.receive(bytes("1B 99 1B 98 07 'A' 1B 97"));
    EXPECT_EQ(report_lines(interpreter),
              "not understood (EPSON): 1B 99 1B 98 07\nnot understood (EPSON): 1B 97\n");
    // Taking the reports ends a run: what follows starts a new line.
    interpreter.receive(bytes("07"));
    interpreter.take_reports();
    interpreter.receive(bytes("07"));
    EXPECT_EQ(report_lines(interpreter), "not understood (EPSON): 07\n");
}

TEST(RuntimeCommands, AnInterruptedCommandIsReported) {
    CommandInterpreter interpreter(code_of_set("EPSON"));
    interpreter.receive(bytes("1F 24 01"));
    interpreter.interrupt();
    interpreter.receive(bytes("'A'"));
    EXPECT_EQ(line(interpreter.screen(), 0), padded("A"));
    EXPECT_EQ(report_lines(interpreter), "not understood (EPSON): 1F 24 01\n");
}

TEST(RuntimeCommands, ACommandThatNeverEndsIsDropped) {
    CommandInterpreter interpreter(code_of_set("CD5220"));
    interpreter.receive(bytes("1B 51 41"));
    interpreter.receive(Bytes(600, 'x'));
    const auto reports = interpreter.take_reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].kind, Verdict::not_understood);
    EXPECT_EQ(reports[0].bytes.size(), 512u);
    // What came after the dropped command is text again.
    EXPECT_EQ(line(interpreter.screen(), 0), padded(std::string(20, 'x')));
}

TEST(RuntimeCommands, ScreenFileFormat) {
    Screen screen;
    EXPECT_EQ(screen_file_text(screen, cp437()),
              "|                    |\n|                    |\nbrightness default\n");
    screen.cells[0][0] = 0x80; // CP-437's C cedilla
    screen.cells[1][19] = 'Z';
    screen.brightness = 0x04;
    EXPECT_EQ(screen_file_text(screen, cp437()),
              "|\u00C7                   |\n|                   Z|\nbrightness 04\n");
    screen.brightness = 0xFF;
    screen.self_tests = 3;
    EXPECT_EQ(screen_file_text(screen, characters_of_code_page(code_page_named("CP-866"))),
              "|\u0410                   |\n|                   Z|\nbrightness FF\nself-test 3\n");
}

TEST(RuntimeCommands, AnUnlistedSetUnderstandsNothing) {
    CommandInterpreter interpreter(static_cast<std::uint8_t>(command_entries.size()));
    interpreter.receive(bytes("'A'"));
    EXPECT_EQ(report_lines(interpreter), "not understood (set 10): 41\n");
}

} // namespace
} // namespace pds::display
