// vfdctl --json: what a command did as one JSON document, for scripts that would rather not
// read the report lines. The keys are a contract with those scripts: add, never change.
#pragma once

#include "display_jobs.h"
#include "exit_codes.h"
#include "settings/settings_image.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <string>

namespace pds::cli {

using Document = nlohmann::ordered_json;

// Every exit status as a row {"status", "meaning", "explanation"}, for a script or module to
// word a status it was given without a table of its own.
Document exit_status_table();

// The fields in which `before` and `after` differ, as `diff` names them:
// [{"field", "before", "after"}], the values as `show` words them.
Document differences(const ImageBytes& before, const ImageBytes& after);

// The configuration as export prints it.
Document configuration(const ImageBytes& image);

// The document as printed: indented by four, a newline at the end. Bytes that are no UTF-8
// (a port or file name may hold any) become U+FFFD rather than failing the document.
std::string document_text(const Document& document);

// A port or file name as the document gives it: as it is when it is UTF-8, else escaped as
// the text lines give it ("\xFF"), so that two names stay apart instead of both losing a byte.
std::string document_name(const std::string& name);

// The top of every document, in the order scripts see it: the command, status, meaning,
// message and time taken; the command's own keys follow.
Document summary(const std::string& command, int status, const std::string& message,
                 std::chrono::steady_clock::time_point start);

// A port's own result: its status, meaning and message, the speed it answered at, and the
// lines below its message.
Document port_result(const std::string& port, const Report& report);

} // namespace pds::cli
