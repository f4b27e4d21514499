// With --json, the one document a run owes its reader: made by finish() at the end, or by
// interruption_document() (commands.h) for a signal that ends the program first; never both.
#pragma once

#include "command_output.h"
#include "result_document.h"

#include <string>

namespace pds::cli {

// A run begins: its start time, and whether it owes a document.
void begin_document(bool json);

// The command the run turned out to be, as given.
void note_command(const std::string& command);

// With --json, prints the document for what the command did, carrying its lines and its own
// keys; gives back `status`.
int finish(int status, const std::string& command, Output& output, const Document& extra,
           const std::string& success);

} // namespace pds::cli
