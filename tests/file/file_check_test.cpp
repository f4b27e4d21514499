#include "file/file_check.h"

#include "support/sample_images.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace pds;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes file_of(const ImageBytes& image) {
    return Bytes(image.begin(), image.end());
}

TEST(CheckSettingsFileTest, TakesTheFirst126BytesOfAValidFile) {
    for (const auto& sample : samples::sample_images()) {
        Bytes file = file_of(sample.image);
        EXPECT_EQ(std::get<ImageBytes>(check_settings_file(file)), sample.image) << sample.name;
        file.insert(file.end(), {0x99, 0x02, 0x24});
        EXPECT_EQ(std::get<ImageBytes>(check_settings_file(file)), sample.image) << sample.name;
    }
}

TEST(CheckSettingsFileTest, RefusesAShortFile) {
    for (std::size_t size : {0u, 1u, 125u}) {
        const Bytes file(size, 0);
        const auto problem = std::get<FileProblem>(check_settings_file(file));
        EXPECT_EQ(problem.field, "");
        EXPECT_EQ(problem.reason,
                  "holds " + std::to_string(size) + " bytes; a settings file holds 126");
    }
}

TEST(CheckSettingsFileTest, NamesTheFirstListCodeBeyondItsList) {
    const struct {
        int position;
        std::uint8_t code;
        std::string field;
        std::string reason;
    } cases[] = {
        {2, 2, "display_baud", "2 names none of the 2 entries of its list"},
        {4, 36, "code_page", "36 names none of the 36 entries of its list"},
        {6, 10, "command_set", "10 names none of the 10 entries of its list"},
        {68, 3, "passthru_mode", "3 names none of the 3 entries of its list"},
        {68, 0xFF, "passthru_mode", "255 names none of the 3 entries of its list"},
    };
    for (const auto& c : cases) {
        ImageBytes image = samples::saturated_image(); // every list on its last entry
        at_position(image, c.position) = c.code;
        const auto problem = std::get<FileProblem>(check_settings_file(file_of(image)));
        EXPECT_EQ(problem.field, c.field);
        EXPECT_EQ(problem.reason, c.reason);
        EXPECT_EQ(list_code_problem(image)->field, c.field);
    }

    ImageBytes two_bad{};
    at_position(two_bad, position::command_set) = 10;
    at_position(two_bad, position::code_page) = 40;
    EXPECT_EQ(list_code_problem(two_bad)->field, "code_page") << "position order";
}

} // namespace
