// What each command does once its command line has passed the rules: the status back, its lines
// said through the context's output and its own keys of the document kept in the context.
#pragma once

#include "command_context.h"

namespace pds::cli {

// display_commands.cpp
int read_displays(CommandContext& context);
int write_displays(CommandContext& context);
int show_configuration(CommandContext& context);
int diff_configurations(CommandContext& context);

// file_commands.cpp
int export_configuration(CommandContext& context);
int import_configuration(CommandContext& context);

// port_list_commands.cpp
int list_system_ports(CommandContext& context);
int find_displays(CommandContext& context);

// live_commands.cpp
int say_on_displays(CommandContext& context);
int clear_displays(CommandContext& context);
int set_brightness(CommandContext& context);
int test_displays(CommandContext& context);

} // namespace pds::cli
