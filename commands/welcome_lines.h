// The welcome lines in the display's own characters: the cells show and take the characters of
// the code page "Char" names; a typed character the page lacks is kept beside the lines until
// the page changes to one that has it or "Add Missing Characters" draws it.
#pragma once

#include "editor/editor.h"
#include "message/charset.h"
#include "message/message_line.h"

#include <string>

namespace pds {

inline constexpr const char* add_missing_caption = "Add Missing Characters";

// The characters of the code page "Char" names.
const CodePageCharacters& chosen_characters(const EditorModel& model);

MessageLine& line_numbered(EditorModel& model, int line); // 1 or 2

// "Char": selects the entry and draws the character cells again from the same bytes; characters
// kept beside the lines that the new page has go into their cells.
void choose_code_page(Editor& editor, int index);

// A text typed into character cell `cell` of line `line`. A character the page has is stored
// as its code; one it lacks leaves the cell as it was and is kept, named in the note.
void type_character(Editor& editor, int line, int cell, const std::string& text);

// "ASCII" and "Hex"; "Clear" also forgets the line's kept characters.
void select_line_view(Editor& editor, int line, MessageView view);
void clear_line(Editor& editor, int line);

// Forgets every kept character and the note: the lines now show other bytes.
void forget_missing_characters(Editor& editor);

// Both lines from the image's bytes, in the chosen code page, after a load or a read.
void show_image_lines(Editor& editor);

// "Add Missing Characters": draws each kept character in a free user-defined character under a
// code the lines do not use, puts that code into its cells, and says so in the note; refuses
// with a message and changes nothing when that cannot be done for all of them.
void add_missing_characters(Editor& editor);

} // namespace pds
