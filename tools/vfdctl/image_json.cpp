#include "image_json.h"

#include "glyphs/code_page_glyphs.h"
#include "inspect/describe.h"
#include "inspect/image_fields.h"
#include "message/charset.h"
#include "settings/list_fields.h"
#include "udc/slot_codec.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

namespace pds::cli {

namespace {

using Bytes = std::vector<std::uint8_t>;
using Json = nlohmann::json;

Json byte_array(std::span<const std::uint8_t> bytes) {
    Json array = Json::array();
    for (auto b : bytes)
        array.push_back(int{b});
    return array;
}

Json list_json(const ImageField& field, std::uint8_t code) {
    Json object{{"code", int{code}}};
    if (const auto entry = entry_text(*field.list, code))
        object["entry"] = std::string(*entry);
    return object;
}

Json line_json(std::span<const std::uint8_t> cells, const CodePageCharacters& page) {
    return Json{{"bytes", byte_array(cells)}, {"text", line_text(cells, page)}};
}

Json character_json(std::span<const std::uint8_t> slot) {
    Json dots = Json::array();
    for (const auto& row : column_rows(slot.subspan(1)))
        dots.push_back(row);
    return Json{{"code", int{slot[0]}}, {"columns", byte_array(slot.subspan(1))}, {"dots", dots}};
}

Json reserved_json(std::span<const std::uint8_t> bytes) {
    if (bytes.size() == 1)
        return int{bytes[0]};
    return byte_array(bytes);
}

// A number as a reason quotes it: six significant digits, like printf's %g.
std::string number_text(double number) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", number);
    return text;
}

// nlohmann/json's words for a syntax error, without its exception number, its place (given
// as an offset instead) and the text it last read, which could steer a terminal.
std::string syntax_error_text(const std::string& what) {
    const auto column = what.find("column ");
    const auto words = what.find(": ", column == std::string::npos ? 0 : column);
    const auto tag_end = what.find("] ");
    std::string text = words != std::string::npos     ? what.substr(words + 2)
                       : tag_end != std::string::npos ? what.substr(tag_end + 2)
                                                      : what;
    if (text.starts_with("syntax error while parsing "))
        text.erase(0, std::string("syntax error while ").size());
    const auto last_read = text.find("; last read: ");
    if (last_read != std::string::npos) {
        const auto quote_end = text.find("'", last_read + 14);
        text.erase(last_read,
                   quote_end == std::string::npos ? std::string::npos : quote_end + 1 - last_read);
    }
    return escaped_text(text);
}

// A key as a field name, escaped; an empty key is shown as "" so the message still points at
// something.
std::string key_name(const std::string& prefix, const std::string& key) {
    return prefix + (key.empty() ? std::string("\"\"") : escaped_text(key));
}

// A parsed object keeps one value for two equal keys and says nothing, so a field given twice
// would take whichever value the parser kept. nlohmann/json's event parser reports each key as
// it decodes it; this handler names the first one an object holds twice, at any depth.
class RepeatedKeyFinder : public nlohmann::json_sax<nlohmann::json> {
public:
    std::optional<std::string> repeated;

    bool key(string_t& key) override {
        Level& object = levels.back();
        object.field = key_name(object.name.empty() ? "" : object.name + ".", key);
        if (!object.keys.insert(key).second)
            repeated = object.field;
        return !repeated;
    }
    bool start_object(std::size_t) override {
        levels.push_back({field_of_value(), {}, {}, -1});
        return true;
    }
    bool end_object() override { return end(); }
    bool start_array(std::size_t) override {
        levels.push_back({field_of_value(), {}, {}, 0});
        return true;
    }
    bool end_array() override { return end(); }
    bool null() override { return scalar(); }
    bool boolean(bool) override { return scalar(); }
    bool number_integer(number_integer_t) override { return scalar(); }
    bool number_unsigned(number_unsigned_t) override { return scalar(); }
    bool number_float(number_float_t, const string_t&) override { return scalar(); }
    bool string(string_t&) override { return scalar(); }
    bool binary(binary_t&) override { return scalar(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }

private:
    struct Level {
        std::string name;           // the field this object or array is
        std::set<std::string> keys; // an object's keys so far
        std::string field;          // an object's field of the key last read
        int next_index;             // an array's next element; -1 for an object
    };

    // The field of the value that starts now, and the next array element's place taken.
    std::string field_of_value() {
        if (levels.empty())
            return {};
        Level& outer = levels.back();
        if (outer.next_index < 0)
            return outer.field;
        return outer.name + "[" + std::to_string(outer.next_index++) + "]";
    }
    bool scalar() {
        field_of_value();
        return true;
    }
    bool end() {
        levels.pop_back();
        return true;
    }

    std::vector<Level> levels;
};

std::optional<std::string> key_given_twice(std::string_view text) {
    RepeatedKeyFinder finder;
    nlohmann::json::sax_parse(text.begin(), text.end(), &finder);
    return finder.repeated;
}

// Reads one configuration; the first problem found is kept and ends the reading.
// "U+20AC": a character from the file named without repeating it, as texts from a file are.
std::string code_point_name(const std::string& character) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code_point_of(character)));
    return name;
}

class Reader {
public:
    std::optional<JsonProblem> problem;
    bool adding_missing = false;
    std::vector<MissingCharacter> missing; // the lines' characters their page lacks

    bool fail(std::string field, std::string reason) {
        if (!problem)
            problem = JsonProblem{std::move(field), std::move(reason)};
        return false;
    }

    bool only_keys(const Json& object, const std::string& prefix,
                   std::initializer_list<std::string_view> keys) {
        for (auto it = object.begin(); it != object.end(); ++it) {
            const std::string& key = it.key();
            if (std::find(keys.begin(), keys.end(), key) == keys.end())
                return fail(key_name(prefix, key), "is unknown");
        }
        return true;
    }

    std::optional<std::uint8_t> byte(const Json& value, const std::string& field) {
        if (!value.is_number()) {
            fail(field, "is not a number");
            return std::nullopt;
        }
        const double number = value.get<double>();
        // -0 passes every comparison with 0, but no byte is written so.
        if (number != std::floor(number) || std::signbit(number) || number > 255) {
            fail(field, number_text(number) + " is not a byte (0 to 255)");
            return std::nullopt;
        }
        return static_cast<std::uint8_t>(number);
    }

    std::optional<Bytes> bytes(const Json& value, const std::string& field, std::size_t count) {
        if (!value.is_array()) {
            fail(field, "is not an array of " + std::to_string(count) + " bytes");
            return std::nullopt;
        }
        const Json& array = value;
        if (array.size() != count) {
            fail(field,
                 "needs " + std::to_string(count) + " bytes, has " + std::to_string(array.size()));
            return std::nullopt;
        }
        Bytes result;
        for (std::size_t i = 0; i < array.size(); ++i) {
            const auto b = byte(array[i], field + "[" + std::to_string(i) + "]");
            if (!b)
                return std::nullopt;
            result.push_back(*b);
        }
        return result;
    }

    const Json* object(const Json& value, const std::string& field) {
        if (!value.is_object()) {
            fail(field, "is not an object");
            return nullptr;
        }
        return &value;
    }

    std::optional<std::string> string(const Json& value, const std::string& field) {
        if (!value.is_string()) {
            fail(field, "is not a string");
            return std::nullopt;
        }
        return value.get<std::string>();
    }

    bool list(const ImageField& field, const Json& value, std::span<std::uint8_t> out) {
        const std::string name(field.name);
        const auto object = this->object(value, name);
        if (!object || !only_keys(*object, name + ".", {"code", "entry"}))
            return false;
        std::optional<std::uint8_t> code;
        if (object->contains("code")) {
            code = byte((*object).at("code"), name + ".code");
            if (!code)
                return false;
            if (!entry_text(*field.list, *code))
                return fail(name + ".code", std::to_string(*code) + " names none of the " +
                                                std::to_string(field.list->entries.size()) +
                                                " entries of its list");
        }
        if (object->contains("entry")) {
            const auto entry = string((*object).at("entry"), name + ".entry");
            if (!entry)
                return false;
            const auto& entries = field.list->entries;
            const auto found = std::find(entries.begin(), entries.end(), *entry);
            if (found == entries.end())
                return fail(name + ".entry",
                            "\"" + escaped_text(*entry) + "\" is not an entry of its list");
            const auto index = static_cast<std::uint8_t>(found - entries.begin());
            if (code && *code != index)
                return fail(name + ".entry", "\"" + *entry + "\" is entry " +
                                                 std::to_string(index) + ", not " +
                                                 std::to_string(*code) + " as code says");
            code = index;
        }
        if (!code)
            return fail(name, "needs \"code\" or \"entry\"");
        out[0] = *code;
        return true;
    }

    // The text is read in the page `code_page` names; the lists come before the lines.
    bool line(const ImageField& field, const Json& value, std::span<std::uint8_t> out,
              std::uint8_t code_page) {
        const std::string name(field.name);
        const auto cells = static_cast<std::size_t>(field.length);
        const auto object = this->object(value, name);
        if (!object || !only_keys(*object, name + ".", {"bytes", "text"}))
            return false;
        std::optional<Bytes> bytes;
        if (object->contains("bytes")) {
            bytes = this->bytes((*object).at("bytes"), name + ".bytes", cells);
            if (!bytes)
                return false;
        }
        if (object->contains("text")) {
            const auto text = string((*object).at("text"), name + ".text");
            if (!text)
                return false;
            const auto codes = line_codes_of_text(*text, characters_of_code_page(code_page));
            if (!codes)
                return fail(name + ".text", "is not valid: write the characters of the code page, "
                                            "and any other byte (the backslash too) as \\xNN");
            auto from_text = std::optional<Bytes>(codes->codes);
            if (!codes->missing.empty() && !adding_missing) {
                const auto& [place, character] = codes->missing.front();
                const auto entry = entry_text(image_list_fields[1], code_page);
                return fail(name + ".text",
                            "character " + std::to_string(place) + " (" +
                                code_point_name(character) + ") is not in code page " +
                                std::to_string(code_page) +
                                (entry ? " \"" + std::string(*entry) + "\"" : std::string()) +
                                "; --add-missing draws it as a user-defined character");
            }
            for (const auto& [place, character] : codes->missing)
                missing.push_back(
                    {field.first == position::welcome_line1 ? 1 : 2, place, character});
            if (from_text->size() > cells)
                return fail(name + ".text", "holds " + std::to_string(from_text->size()) +
                                                " cells; the line has " + std::to_string(cells));
            from_text->resize(cells, 0);
            if (bytes && (*bytes != *from_text || !codes->missing.empty()))
                return fail(name + ".text", "does not match bytes");
            bytes = from_text;
        }
        if (!bytes)
            return fail(name, "needs \"bytes\" or \"text\"");
        std::copy(bytes->begin(), bytes->end(), out.begin());
        return true;
    }

    bool character(const ImageField& field, const Json& value, std::span<std::uint8_t> out) {
        const std::string name(field.name);
        const auto object = this->object(value, name);
        if (!object || !only_keys(*object, name + ".", {"code", "columns", "dots"}))
            return false;
        if (!object->contains("code"))
            return fail(name + ".code", "is missing");
        const auto code = byte((*object).at("code"), name + ".code");
        if (!code)
            return false;
        std::optional<Bytes> columns;
        if (object->contains("columns")) {
            columns = bytes((*object).at("columns"), name + ".columns", udc_columns);
            if (!columns)
                return false;
        }
        if (object->contains("dots")) {
            const auto from_dots = dots((*object).at("dots"), name + ".dots");
            if (!from_dots)
                return false;
            if (columns && column_rows(*columns) != column_rows(*from_dots))
                return fail(name + ".dots", "does not match columns");
            if (!columns)
                columns = from_dots;
        }
        if (!columns)
            return fail(name, "needs \"columns\" or \"dots\"");
        out[0] = *code;
        std::copy(columns->begin(), columns->end(), out.begin() + 1);
        return true;
    }

    // Column bytes from seven rows of five '#' or '.', top row first.
    std::optional<Bytes> dots(const Json& value, const std::string& field) {
        if (!value.is_array() || value.size() != udc_rows) {
            fail(field, "is not an array of " + std::to_string(udc_rows) + " rows");
            return std::nullopt;
        }
        const Json& rows = value;
        DotGrid dots;
        for (int r = 0; r < udc_rows; ++r) {
            const std::string row_field = field + "[" + std::to_string(r) + "]";
            const auto row = string(rows[static_cast<std::size_t>(r)], row_field);
            if (!row)
                return std::nullopt;
            if (row->size() != udc_columns || row->find_first_not_of("#.") != std::string::npos) {
                fail(row_field, "must be " + std::to_string(udc_columns) +
                                    " characters, each # (lit) or . (unlit)");
                return std::nullopt;
            }
            for (int c = 0; c < udc_columns; ++c)
                dots.set(c + 1, r, (*row)[c] == '#');
        }
        const ColumnBytes columns = columns_of_dots(dots);
        return Bytes(columns.begin(), columns.end());
    }

    bool reserved(const ImageField& field, const Json& value, std::span<std::uint8_t> out) {
        const std::string name(field.name);
        if (field.length == 1) {
            const auto b = byte(value, name);
            if (!b)
                return false;
            out[0] = *b;
            return true;
        }
        const auto bytes = this->bytes(value, name, static_cast<std::size_t>(field.length));
        if (!bytes)
            return false;
        std::copy(bytes->begin(), bytes->end(), out.begin());
        return true;
    }
};

} // namespace

Json image_to_json(const ImageBytes& image) {
    Json json = Json::object();
    for (const auto& field : image_fields) {
        const auto bytes = field_bytes(image, field);
        Json value;
        switch (field.kind) {
        case FieldKind::List:
            value = list_json(field, bytes[0]);
            break;
        case FieldKind::Line:
            value =
                line_json(bytes, characters_of_code_page(at_position(image, position::code_page)));
            break;
        case FieldKind::Character:
            value = character_json(bytes);
            break;
        case FieldKind::Reserved:
            value = reserved_json(bytes);
            break;
        }
        json[std::string(field.name)] = value;
    }
    return json;
}

std::string export_text(const ImageBytes& image) {
    return image_to_json(image).dump(4) + "\n";
}

std::variant<ImageBytes, JsonProblem> image_from_json(std::string_view text,
                                                      MissingSignChoice* missing) {
    if (text.size() > json_size_limit)
        return JsonProblem{{},
                           "is larger than " + std::to_string(json_size_limit >> 20) +
                               " MiB, which no configuration needs"};
    Json json;
    try {
        json = Json::parse(text);
    } catch (const Json::parse_error& error) {
        return JsonProblem{{},
                           "is not JSON: " + syntax_error_text(error.what()) + " at offset " +
                               std::to_string(error.byte)};
    } catch (const Json::exception& error) {
        return JsonProblem{{}, "is not JSON: " + syntax_error_text(error.what())};
    }
    if (!json.is_object())
        return JsonProblem{{}, "is not a JSON object"};
    if (const auto repeated = key_given_twice(text))
        return JsonProblem{*repeated, "is given twice"};

    Reader reader;
    reader.adding_missing = missing && missing->add;
    for (auto it = json.begin(); it != json.end(); ++it) {
        const std::string& key = it.key();
        if (std::none_of(image_fields.begin(), image_fields.end(),
                         [&](const ImageField& f) { return f.name == key; }))
            return JsonProblem{key_name({}, key), "is unknown"};
    }

    ImageBytes image{};
    for (const auto& field : image_fields) {
        const std::string key(field.name);
        if (!json.contains(key))
            return JsonProblem{key, "is missing"};
        const Json& value = json.at(key);
        const auto out = field_bytes(image, field);
        bool read = false;
        switch (field.kind) {
        case FieldKind::List:
            read = reader.list(field, value, out);
            break;
        case FieldKind::Line:
            read = reader.line(field, value, out, at_position(image, position::code_page));
            break;
        case FieldKind::Character:
            read = reader.character(field, value, out);
            break;
        case FieldKind::Reserved:
            read = reader.reserved(field, value, out);
            break;
        }
        if (!read)
            return *reader.problem;
    }
    if (!reader.missing.empty()) {
        auto outcome = add_missing_signs(image, reader.missing);
        if (!outcome.refusal.empty())
            return JsonProblem{reader.missing.front().line == 1 ? "welcome_line1.text"
                                                                : "welcome_line2.text",
                               "--add-missing: " + escaped_text(outcome.refusal)};
        missing->placed = std::move(outcome.placed);
    }
    return image;
}

} // namespace pds::cli
