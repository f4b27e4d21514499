#pragma once

#include <filesystem>

namespace pds::ui {

// The whole program: parses the command line, opens the window and runs until it closes.
// `proc_root` is where the system shows other processes' open files, /proc on Linux.
int run_application(int argc, char** argv, const std::filesystem::path& proc_root);

} // namespace pds::ui
