// The "Test Display" tab: two lines the operator sends to the display now, a clear, and the
// brightness, spoken in the display's runtime command set; nothing of its configuration is
// written. The window and the page draw model.test and hand every event to these commands.
#pragma once

#include "editor/editor.h"

#include <string>

namespace pds {

inline constexpr int test_tab = 3; // SSTab1's "Test Display"
inline constexpr int test_line_width = 20; // characters of one display line

// Shows tab `index`. The Test tab takes the welcome lines as they are now until the operator
// types into one of its lines.
void show_tab(Editor& editor, int index);

// The welcome line's first test_line_width characters in the chosen code page, as text; cells
// without a character (empty, or a code the page lacks) are blanks, and trailing blanks go.
std::string test_line_from_welcome(const EditorModel& model, int line);

// A text typed into test line 1 or 2; kept as typed, cut to test_line_width characters.
void type_test_line(Editor& editor, int line, const std::string& text);

// "TestCommand": the set the actions speak, by entry; entry 0 is the set the display reports.
void choose_test_set(Editor& editor, int index);

// "TestLevel": the brightness level Set sends, by entry.
void choose_test_level(Editor& editor, int index);

// The set the actions speak: the one chosen, or the one the display last reported; -1 while
// neither is known.
int test_set(const EditorModel& model);

// Each action opens the port Comm names, reads the display's configuration unless a set is
// chosen, speaks the set (with a chosen set, the code page Char names), closes the port and
// puts what happened into TestSetUsed and TestOutcome. Nothing is written into the
// configuration and nothing of the editor's settings changes.
void send_test_lines(Editor& editor);    // "Send": both lines, each padded to a display line
void clear_test_display(Editor& editor); // "Clear"
void set_test_brightness(Editor& editor); // "Set": the level TestLevel names

} // namespace pds
