// The values of the window's controls, named after the controls.
#pragma once

#include "editor/controls.h"

#include <string>

namespace pds {

struct EditorModel {
    // Command band
    ComboBox Comm; // host serial port
    ComboBox Baud; // host line settings

    // Tab 0, "Command Setting"
    ListBox Char;
    ListBox Command;
    ListBox BaudRate;
    ListBox Passthru;

    // Tab 1, "Welcome Msg"
    MessageLine L1{20};
    MessageLine L2{40};

    // Tab 2, "User Defined Character"
    std::string UDC_label;
    std::string UDC_TEXT;
    DotGrid map;

    int SSTab1 = 0; // the tab shown

    bool operator==(const EditorModel&) const = default;
};

} // namespace pds
