// What the fuzz targets share: a check that stops the run with a reason, and a start-up editor.
#pragma once

#include "commands/defaults.h"
#include "editor/editor.h"
#include "settings/option_lists.h"

#include <cstdio>
#include <cstdlib>

namespace pds::fuzz {

// Fuzzers and the replay runner both treat an abort as a finding.
inline void check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "property violated: %s\n", what);
        std::abort();
    }
}

// The editor as the window leaves it after start-up.
inline void start_up(Editor& editor) {
    fill_option_lists(editor.model);
    set_all_default(editor);
}

} // namespace pds::fuzz
