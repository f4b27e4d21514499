// What vfdctl's exit status tells a script. With several ports, the status is that of the
// first port, in the order given, that did not succeed.
#pragma once

namespace pds::cli {

enum ExitCode : int {
    exit_success = 0,
    exit_different = 1,        // diff: the two configurations differ
    exit_bad_arguments = 2,    // unknown command or option, missing or surplus operand
    exit_bad_file = 3,         // a file cannot be read or written, or holds no valid configuration
    exit_port_unavailable = 4, // the port cannot be opened
    exit_no_answer = 5,        // the display did not answer
    exit_check_refused = 6,    // the display's check byte was wrong; the write was refused
    exit_bad_reply = 7,        // the display's reply was short or did not start with the mark
    exit_verify_mismatch = 8,  // the display reads back other bytes than were written
    exit_line_lost = 9,        // the device went away, or the line would not take the bytes
    // Ended by SIGHUP, SIGINT or SIGTERM: 128 and the signal's number, see termination_guard.h
};

} // namespace pds::cli
