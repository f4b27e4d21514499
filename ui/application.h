#pragma once

namespace pds::ui {

// The whole program: parses the command line, opens the window and runs until it closes.
int run_application(int argc, char** argv);

} // namespace pds::ui
