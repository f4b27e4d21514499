#include "exit_codes.h"

#include <algorithm>

namespace pds::cli {

const std::vector<ExitStatus>& exit_statuses() {
    static const std::vector<ExitStatus> table = {
        {{exit_success}, "ok", "success; diff: the configurations are the same"},
        {{exit_different}, "different", "diff: the configurations differ"},
        {{exit_bad_arguments}, "bad_arguments", "bad arguments"},
        {{exit_bad_file},
         "bad_file",
         "a file cannot be read or written, or holds no valid configuration"},
        {{exit_port_unavailable}, "port_unavailable", "the port cannot be opened"},
        {{exit_no_answer}, "no_answer", "the display did not answer"},
        {{exit_check_refused},
         "check_refused",
         "the display's check byte was wrong; nothing was written"},
        {{exit_bad_reply},
         "bad_reply",
         "the display's reply was short or did not start with its mark"},
        {{exit_verify_mismatch},
         "verify_mismatch",
         "the display reads back other settings than were written"},
        {{exit_line_lost}, "line_lost", "the device went away, or the port would not send"},
        {{129, 130, 143},
         "interrupted",
         "ended by SIGHUP, SIGINT (Ctrl-C) or SIGTERM: 128 and the signal's number"},
    };
    return table;
}

std::string meaning_of(int status) {
    for (const auto& row : exit_statuses())
        if (std::find(row.codes.begin(), row.codes.end(), status) != row.codes.end())
            return row.meaning;
    return status > 128 ? "interrupted" : "status_" + std::to_string(status);
}

} // namespace pds::cli
