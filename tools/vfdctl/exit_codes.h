// What vfdctl's exit status tells a script. With several ports, the status is that of the
// first port, in the order given, that did not succeed. exit_statuses() is the one table of
// them: --help and the --json document are made from it.
#pragma once

#include <string>
#include <vector>

namespace pds::cli {

enum ExitCode : int {
    exit_success = 0,
    exit_different = 1,
    exit_bad_arguments = 2,
    exit_bad_file = 3,
    exit_port_unavailable = 4,
    exit_no_answer = 5,
    exit_check_refused = 6,
    exit_bad_reply = 7,
    exit_verify_mismatch = 8,
    exit_line_lost = 9,
    // Ended by SIGHUP, SIGINT or SIGTERM: 128 and the signal's number, see termination_guard.h
};

struct ExitStatus {
    std::vector<int> codes;  // one, or for an interruption one a signal
    std::string meaning;     // the fixed word of the --json document
    std::string explanation; // as --help says it
};

const std::vector<ExitStatus>& exit_statuses();

// The fixed word for a status: "ok", "different", "bad_arguments", ..., "interrupted".
std::string meaning_of(int status);

} // namespace pds::cli
