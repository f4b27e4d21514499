#include "result_document.h"

#include "exit_codes.h"
#include "image_json.h"
#include "inspect/describe.h"
#include "inspect/image_fields.h"

#include <algorithm>

namespace pds::cli {

Document exit_status_table() {
    Document rows = Document::array();
    for (const auto& status : exit_statuses())
        for (int code : status.codes)
            rows.push_back({{"status", code},
                            {"meaning", status.meaning},
                            {"explanation", status.explanation}});
    return rows;
}

Document differences(const ImageBytes& before, const ImageBytes& after) {
    Document fields = Document::array();
    for (const auto& field : image_fields) {
        const auto in_before = field_bytes(before, field);
        const auto in_after = field_bytes(after, field);
        if (!std::equal(in_before.begin(), in_before.end(), in_after.begin()))
            fields.push_back({{"field", std::string(field.name)},
                              {"before", field_value(field, before)},
                              {"after", field_value(field, after)}});
    }
    return fields;
}

Document configuration(const ImageBytes& image) {
    return Document(image_to_json(image));
}

std::string document_text(const Document& document) {
    return document.dump(4, ' ', false, Document::error_handler_t::replace) + "\n";
}

std::string document_name(const std::string& name) {
    try {
        (void)Document(name).dump();
        return name;
    } catch (const nlohmann::json::type_error&) { // not UTF-8
        return escaped_text(name);
    }
}

Document summary(const std::string& command, int status, const std::string& message,
                 std::chrono::steady_clock::time_point start) {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    return {{"command", command},
            {"status", status},
            {"meaning", meaning_of(status)},
            {"message", message},
            {"elapsed_ms", elapsed.count()}};
}

Document port_result(const std::string& port, const Report& report) {
    Document result = {{"port", document_name(port)},
                       {"status", report.code},
                       {"meaning", meaning_of(report.code)},
                       {"message", report.result}};
    if (report.speed != 0)
        result["speed"] = report.speed;
    if (!report.details.empty())
        result["details"] = report.details;
    return result;
}

} // namespace pds::cli
