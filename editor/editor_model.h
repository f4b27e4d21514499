// The values of the window's controls. Each member names in a comment the control that shows
// it; the widgets carry those names as their object names.
#pragma once

#include "editor/controls.h"
#include "message/message_line.h"
#include "settings/list_fields.h"
#include "udc/dot_grid.h"

#include <string>

namespace pds {

struct EditorModel {
    // Command band
    ComboBox host_port; // Comm: the host's serial port
    ComboBox host_line; // Baud: the host's line settings, e.g. "9600,n,8,1"

    // Tab 0, "Command Setting"
    ListBox code_page;     // Char
    ListBox command_set;   // Command
    ListBox display_baud;  // BaudRate: the display's own line speed
    ListBox passthru_mode; // Passthru

    // Tab 1, "Welcome Msg"
    MessageLine line1{20};      // L1A / L1H, Op_L1A / Op_L1H
    MessageLine line2{40};      // L2A / L2H, Op_L2A / Op_L2H
    std::string character_note; // CharNote: characters the code page lacks, or what was added

    // Tab 2, "User Defined Character"
    std::string character_caption; // UDC_label
    std::string character_code;    // UDC_TEXT
    DotGrid character_dots;        // map1 .. map5

    // Tab 3, "Test Display": what the operator sends to the display now, through the
    // display's own commands, without writing its configuration.
    struct TestPanel {
        std::string line1;         // TestLine1
        std::string line2;         // TestLine2
        bool lines_typed = false;  // the lines follow the welcome lines until one is typed in
        ListBox command_set;       // TestCommand: "As the display reports", then Command's
        ListBox level;             // TestLevel: brightness level 1 (dimmest) and up
        int reported_set = -1;     // the set the display last reported; -1 while unknown
        bool brightness = false;   // TestLevel and TestBrightness enabled
        std::string set_used;      // TestSetUsed: the set the last action spoke, and whence
        std::string outcome;       // TestOutcome: what the last action did, in words

        bool operator==(const TestPanel&) const = default;
    } test;

    int shown_tab = 0; // SSTab1

    bool operator==(const EditorModel&) const = default;
};

// The list that shows one of the four list fields of the image.
ListBox& list_of(EditorModel& model, const ImageListField& field);
const ListBox& list_of(const EditorModel& model, const ImageListField& field);

// The Test tab's first set entry: the set the display's configuration names.
inline constexpr const char* as_the_display_reports = "As the display reports";

// Appends every entry to its list and sets the start-up selections.
void fill_option_lists(EditorModel& model);

} // namespace pds
