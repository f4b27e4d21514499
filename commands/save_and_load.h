// ".vfd" settings files: the 126 image bytes in position order, nothing else.
#pragma once

#include "editor/editor.h"
#include "services/file_dialog.h"

#include <string>

namespace pds {

inline const FileFilter save_filter{"VFD Files(*.bin) ", "*.vfd"};
inline const FileFilter open_filter{"VFD Files(*.vfd) ", "*.vfd"};

inline constexpr const char* refused_save_name = "ORBIT.vfd";
inline constexpr const char* refused_save_message = "ORBIT.vfd can't be saved";
inline constexpr const char* load_question = "Are you sure to Load ?";
inline constexpr const char* load_title = "Load File";
inline constexpr const char* load_error = "Error";

// The message shown when a save cannot create or write its file.
std::string save_failure_message(const std::string& path, const std::string& reason);
// The message shown when a load cannot read its file: a FIFO, a device, a folder, a file
// the user may not read. A file that is read but refused shows "Error".
std::string load_failure_message(const std::string& path, const std::string& reason);

// Captures the editor and writes the image to the file the operator chooses. The previous
// file is replaced as a whole or not at all.
void save_to_file(Editor& editor);

// Asks for a file and a confirmation, then loads it; says why when the file cannot be read,
// and shows "Error" when it holds no settings the lists take.
void load_from_file(Editor& editor);

// Reads file_name into the image and shows it: lists, both lines, character 1. Returns false,
// with nothing changed, when the file cannot be read, holds fewer than 126 bytes or names an
// entry that one of the four lists does not have.
bool read_settings_file(Editor& editor);

} // namespace pds
