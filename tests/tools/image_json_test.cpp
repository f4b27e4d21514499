#include "image_json.h"

#include "inspect/describe.h"
#include "settings/option_lists.h"
#include "support/sample_images.h"
#include "udc/slot_codec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

using namespace pds;
using namespace pds::cli;

namespace {

using Json = nlohmann::json;

// The text as a script may write it: compact, or indented as export prints it.
enum class Layout { Compact, Indented };

std::string text_of(const Json& json, Layout layout) {
    return layout == Layout::Compact ? json.dump() : json.dump(4);
}

Json array_of(std::initializer_list<int> values) {
    Json array = Json::array();
    for (int v : values)
        array.push_back(v);
    return array;
}

TEST(ImageJsonTest, ExportThenImportGivesBackEveryByte) {
    for (const auto& sample : samples::sample_images()) {
        for (auto format : {Layout::Indented, Layout::Compact}) {
            const auto back = image_from_json(text_of(image_to_json(sample.image), format));
            ASSERT_TRUE(std::holds_alternative<ImageBytes>(back))
                << sample.name << ": " << std::get<JsonProblem>(back).field << " "
                << std::get<JsonProblem>(back).reason;
            EXPECT_EQ(std::get<ImageBytes>(back), sample.image) << sample.name;
        }
    }
}

TEST(ImageJsonTest, FieldsCarryTheirNumbersAndReadableCompanions) {
    const Json json = image_to_json(samples::odd_image());
    EXPECT_EQ(json.size(), 20u);
    EXPECT_EQ(json["command_set"], (Json{{"code", 9}, {"entry", "LogicControl"}}));
    // In the image's code page, CP-858, 0xD5 is the euro sign.
    EXPECT_EQ(json["welcome_line1"]["text"], "A\\x5CB\"C\\x00\u20AC\\x7FPLAY ORBIT \\x1B");
    EXPECT_EQ(json["welcome_line2"]["bytes"].size(), 40u);
    EXPECT_EQ(json["udc_4"], (Json{{"code", 5},
                                   {"columns", array_of({0xFF, 0x80, 0, 0, 0x41})},
                                   {"dots", Json::array({"#...#", "#....", "#....", "#....",
                                                         "#....", "#....", "#...#"})}}));
    EXPECT_EQ(json["reserved_1"], 0x5A);
    EXPECT_EQ(json["reserved_tail"], array_of({0, 0, 0, 1}));
}

TEST(ImageJsonTest, ReadableFieldsStandInForMissingNumbers) {
    Json json = image_to_json(samples::factory_image());
    json["command_set"] = Json{{"entry", "CD5220"}};
    json["welcome_line1"] = Json{{"text", "HI\\x00!\\xff"}};
    json["udc_2"] = Json{
        {"code", 0x48},
        {"dots", Json::array({"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"})}};

    ImageBytes expected = samples::factory_image();
    at_position(expected, position::command_set) = 7;
    const std::uint8_t line[20] = {'H', 'I', 0x00, '!', 0xFF};
    std::copy(std::begin(line), std::end(line), &at_position(expected, position::welcome_line1));
    const std::uint8_t glyph[] = {0x48, 0x7F, 0x08, 0x08, 0x08, 0x7F};
    std::copy(std::begin(glyph), std::end(glyph), &at_position(expected, 75));
    EXPECT_EQ(std::get<ImageBytes>(image_from_json(text_of(json, Layout::Compact))), expected);
}

TEST(ImageJsonTest, BadInputIsRefusedNamingTheField) {
    using Change = std::function<void(Json&)>;
    const auto in = [](const char* field, const char* key, Json value) -> Change {
        return [=](Json& json) { json[field][key] = value; };
    };
    const auto byte_at = [](const char* field, const char* key, std::size_t index,
                            Json value) -> Change {
        return [=](Json& json) { json[field][key][index] = value; };
    };
    const struct {
        Change change;
        std::string field;
        std::string reason;
    } cases[] = {
        {[](Json& j) { j.erase("udc_5"); }, "udc_5", "is missing"},
        {[](Json& j) { j["welcom_line1"] = Json::object(); }, "welcom_line1", "is unknown"},
        {[](Json& j) { j["command_set"] = 1; }, "command_set", "is not an object"},
        {[](Json& j) { j["command_set"] = Json::object(); }, "command_set",
         "needs \"code\" or \"entry\""},
        {in("command_set", "code", 10), "command_set.code",
         "10 names none of the 10 entries of its list"},
        {in("passthru_mode", "code", 3), "passthru_mode.code",
         "3 names none of the 3 entries of its list"},
        {in("command_set", "entry", "EPSON"), "command_set.entry",
         "\"EPSON\" is not an entry of its list"},
        {in("command_set", "entry", "ORBIT"), "command_set.entry",
         "\"ORBIT\" is entry 0, not 9 as code says"},
        {in("command_set", "note", "x"), "command_set.note", "is unknown"},
        {[](Json& j) { j[""] = 1; }, "\"\"", "is unknown"},
        {in("udc_2", "", 1), "udc_2.\"\"", "is unknown"},
        {in("welcome_line1", "bytes", array_of({1, 2})), "welcome_line1.bytes",
         "needs 20 bytes, has 2"},
        {byte_at("welcome_line1", "bytes", 3, 256), "welcome_line1.bytes[3]",
         "256 is not a byte (0 to 255)"},
        {byte_at("welcome_line2", "bytes", 39, -1), "welcome_line2.bytes[39]",
         "-1 is not a byte (0 to 255)"},
        {byte_at("welcome_line1", "bytes", 0, 65.5), "welcome_line1.bytes[0]",
         "65.5 is not a byte (0 to 255)"},
        {byte_at("welcome_line1", "bytes", 1, -0.0), "welcome_line1.bytes[1]",
         "-0 is not a byte (0 to 255)"},
        {byte_at("welcome_line1", "bytes", 0, "A"), "welcome_line1.bytes[0]", "is not a number"},
        {in("welcome_line1", "text", "A\\x5CB\"C"), "welcome_line1.text", "does not match bytes"},
        {in("welcome_line1", "text", "A\\B"), "welcome_line1.text",
         "is not valid: write the characters of the code page, and any other byte (the "
         "backslash too) as \\xNN"},
        {[](Json& j) {
             j["welcome_line1"] = Json{{"text", "123456789012345678901"}};
         },
         "welcome_line1.text", "holds 21 cells; the line has 20"},
        {[](Json& j) {
             j["udc_3"] = Json{{"columns", array_of({0, 0, 0, 0, 0})}};
         },
         "udc_3.code", "is missing"},
        {[](Json& j) {
             j["udc_3"] = Json{{"code", 0x41}};
         },
         "udc_3", "needs \"columns\" or \"dots\""},
        {byte_at("udc_3", "columns", 4, 300), "udc_3.columns[4]", "300 is not a byte (0 to 255)"},
        {byte_at("udc_3", "dots", 2, "#..#"), "udc_3.dots[2]",
         "must be 5 characters, each # (lit) or . (unlit)"},
        {byte_at("udc_3", "dots", 2, "#.o.#"), "udc_3.dots[2]",
         "must be 5 characters, each # (lit) or . (unlit)"},
        {byte_at("udc_3", "dots", 6, "....."), "udc_3.dots", "does not match columns"},
        {in("udc_3", "dots", Json::array({"....."})), "udc_3.dots", "is not an array of 7 rows"},
        {[](Json& j) {
             j["reserved_tail"] = array_of({0, 0, 0});
         },
         "reserved_tail", "needs 4 bytes, has 3"},
        {[](Json& j) { j["reserved_1"] = "5A"; }, "reserved_1", "is not a number"},
        // What the file says is echoed escaped, so it cannot steer the terminal.
        {[](Json& j) { j["\x1B[2J"] = 1; }, "\\x1B[2J", "is unknown"},
        {in("udc_2", "a\\b\n", 1), "udc_2.a\\x5Cb\\x0A", "is unknown"},
        {in("command_set", "entry", "\x1B]0;title\x07"), "command_set.entry",
         "\"\\x1B]0;title\\x07\" is not an entry of its list"},
    };
    for (const auto& c : cases) {
        Json json = image_to_json(samples::odd_image());
        c.change(json);
        const auto result = image_from_json(text_of(json, Layout::Compact));
        ASSERT_TRUE(std::holds_alternative<JsonProblem>(result)) << c.field;
        EXPECT_EQ(std::get<JsonProblem>(result).field, c.field);
        EXPECT_EQ(std::get<JsonProblem>(result).reason, c.reason) << c.field;
    }
}

TEST(ImageJsonTest, KeyGivenTwiceIsRefusedAtAnyDepth) {
    const std::string exported = text_of(image_to_json(samples::odd_image()), Layout::Compact);
    const struct {
        const char* from;
        const char* to;
        std::string field;
        std::string reason;
    } cases[] = {
        {"{", R"({"reserved_1":0,)", "reserved_1", "is given twice"},
        {R"("code":9,)", R"("code":9,"code":9,)", "command_set.code", "is given twice"},
        // The parser decodes escapes before it compares keys, and so must the check.
        {"{", R"({"\u0072eserved_1":0,)", "reserved_1", "is given twice"},
        {"{", R"({"\u001b":1,"\u001B":2,)", "\\x1B", "is given twice"},
        {"{", R"({"":1,"":2,)", "\"\"", "is given twice"},
        {R"("reserved_tail":[0,0,0,1])", R"("reserved_tail":[0,{"k":{"a\"b":1,"a\"b":2}}])",
         "reserved_tail[1].k.a\"b", "is given twice"},
        // Keys that only look alike pass the check and meet the format's own.
        {R"("reserved_tail":[0,0,0,1])", R"("reserved_tail":[{"a":1,"A":2,"a\u0000":3},0,0,0])",
         "reserved_tail[0]", "is not a number"},
    };
    for (const auto& c : cases) {
        std::string text = exported;
        const auto at = text.find(c.from);
        ASSERT_NE(at, std::string::npos) << c.from;
        text.replace(at, std::strlen(c.from), c.to);
        const auto result = image_from_json(text);
        ASSERT_TRUE(std::holds_alternative<JsonProblem>(result)) << c.to;
        EXPECT_EQ(std::get<JsonProblem>(result).field, c.field) << c.to;
        EXPECT_EQ(std::get<JsonProblem>(result).reason, c.reason) << c.to;
    }
}

TEST(ImageJsonTest, TextOverTheSizeLimitIsRefusedUnparsed) {
    std::string text = text_of(image_to_json(samples::odd_image()), Layout::Indented);
    text.append(json_size_limit - text.size(), ' ');
    EXPECT_TRUE(std::holds_alternative<ImageBytes>(image_from_json(text))) << "at the limit";
    text.push_back(' ');
    const auto over = image_from_json(text);
    ASSERT_TRUE(std::holds_alternative<JsonProblem>(over));
    EXPECT_EQ(std::get<JsonProblem>(over).field, "");
    EXPECT_EQ(std::get<JsonProblem>(over).reason,
              "is larger than 1 MiB, which no configuration needs");
}

TEST(ImageJsonTest, TextThatIsNoJsonObject) {
    const auto not_json = std::get<JsonProblem>(image_from_json("{\"reserved_1\": "));
    EXPECT_EQ(not_json.field, "");
    EXPECT_EQ(not_json.reason.rfind("is not JSON: ", 0), 0u) << not_json.reason;
    // The parser's words may quote the text; a message must not carry its control bytes.
    const auto control = std::get<JsonProblem>(image_from_json("{\"\x1B]0;title\x07"));
    EXPECT_EQ(control.reason.rfind("is not JSON: ", 0), 0u) << control.reason;
    EXPECT_EQ(control.reason.find_first_of("\x1B\x07"), std::string::npos) << control.reason;
    const auto array = std::get<JsonProblem>(image_from_json("[1, 2]"));
    EXPECT_EQ(array.field, "");
    EXPECT_EQ(array.reason, "is not a JSON object");
}

} // namespace

namespace {

ImageBytes with_code_page(int code_page) {
    ImageBytes image = samples::factory_image();
    at_position(image, position::code_page) = static_cast<std::uint8_t>(code_page);
    return image;
}

Json with_line_text(Json json, const char* line, const std::string& text) {
    json[line] = Json{{"text", text}};
    return json;
}

} // namespace

// Every byte value in both lines, under every entry of the code page list: the text export
// writes in that page reads back to the same 126 bytes, and names the bytes it stands for.
TEST(ImageJsonTest, EveryByteOfEveryCodePageComesBackThroughTheLineText) {
    for (int code_page = 0; code_page < static_cast<int>(char_entries.size()); ++code_page) {
        for (int first = 0; first < 256; first += 60) {
            ImageBytes image = with_code_page(code_page);
            for (int i = 0; i < 60; ++i)
                at_position(image, position::welcome_line1 + i) =
                    static_cast<std::uint8_t>((first + i) % 256);
            Json json = image_to_json(image);
            json["welcome_line1"].erase("bytes");
            json["welcome_line2"].erase("bytes");
            const auto back = image_from_json(json.dump(4));
            ASSERT_TRUE(std::holds_alternative<ImageBytes>(back))
                << code_page << " " << first << ": " << std::get<JsonProblem>(back).reason;
            EXPECT_EQ(std::get<ImageBytes>(back), image) << code_page << " " << first;
            EXPECT_EQ(std::get<ImageBytes>(image_from_json(export_text(image))), image);
        }
    }
}

TEST(ImageJsonTest, ALineTextIsReadInTheCodePageTheConfigurationNames) {
    const Json cp866 = image_to_json(with_code_page(30));
    const auto image = std::get<ImageBytes>(image_from_json(
        with_line_text(cp866, "welcome_line2", "\u0421\u043F\u0430\u0441\u0438\u0431\u043E!")
            .dump()));
    const std::uint8_t spasibo[] = {0x91, 0xAF, 0xA0, 0xE1, 0xA8, 0xA1, 0xAE, '!', 0};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(at_position(image, position::welcome_line2 + i), spasibo[i]) << i;

    // The euro sign is in neither CP-866 nor CP-437: refused, naming line, place and character.
    const auto refused = std::get<JsonProblem>(image_from_json(
        with_line_text(image_to_json(with_code_page(0)), "welcome_line1", "Tea 2\u20AC").dump()));
    EXPECT_EQ(refused.field, "welcome_line1.text");
    EXPECT_EQ(refused.reason,
              "character 6 (U+20AC) is not in code page 0 \"US English (CP-437)  (Default)\"; "
              "--add-missing draws it as a user-defined character");
}

TEST(ImageJsonTest, AddMissingDrawsWhatThePageLacksAsUserDefinedCharacters) {
    Json json = with_line_text(image_to_json(with_code_page(30)), "welcome_line1",
                               "\u0427\u0430\u0439 50\u20BD");
    json = with_line_text(json, "welcome_line2", "\u20B4 \u20AC \u20BD");
    MissingSignChoice missing{true, {}};
    const auto read = image_from_json(json.dump(), &missing);
    ASSERT_TRUE(std::holds_alternative<ImageBytes>(read)) << std::get<JsonProblem>(read).reason;
    const auto& image = std::get<ImageBytes>(read);
    const std::vector<PlacedSign> placed = {
        {"\u20BD", 1, '~', false}, {"\u20B4", 2, '`', false}, {"\u20AC", 3, '^', false}};
    EXPECT_EQ(missing.placed, placed);
    EXPECT_EQ(at_position(image, position::welcome_line1 + 6), '~');
    EXPECT_EQ(at_position(image, position::welcome_line2), '`');
    EXPECT_EQ(at_position(image, position::welcome_line2 + 2), '^');
    EXPECT_EQ(at_position(image, position::welcome_line2 + 4), '~');
    EXPECT_EQ(at_position(image, udc_slot_start(2)), '`');

    // Without a free slot, nothing is made.
    for (int number = 1; number <= 9; ++number)
        json["udc_" + std::to_string(number)]["code"] = 0x30 + number;
    MissingSignChoice full{true, {}};
    const auto refused = std::get<JsonProblem>(image_from_json(json.dump(), &full));
    EXPECT_EQ(refused.field, "welcome_line1.text");
    EXPECT_EQ(refused.reason.rfind("--add-missing: Cannot add ", 0), 0u) << refused.reason;
    EXPECT_TRUE(full.placed.empty());
}
