// Any bytes as a settings file: Load either takes all of it or shows "Error" and changes
// nothing; a loaded file saved again gives its first 126 bytes back, apart from the zero
// bytes inside a welcome line, which an empty character cell cannot hold in place.
#include "commands/save_and_load.h"
#include "commands/udc_page.h"
#include "fuzz_check.h"
#include "support/fake_services.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

using namespace pds;

// Line bytes as a save writes them back: the non-zero codes in order, then zeros.
std::vector<std::uint8_t> compacted(std::vector<std::uint8_t> line) {
    const auto end = std::remove(line.begin(), line.end(), std::uint8_t{0});
    std::fill(end, line.end(), std::uint8_t{0});
    return line;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fakes::EditorFixture f;
    auto& editor = f.editor;
    fuzz::start_up(editor);
    // Something on the character page and in the image that a failed load must not touch.
    editor.image[80] = 0x5A;
    next_character(editor);
    toggle_dot(editor, 2, 3);
    editor.model.character_code = "41";

    const std::vector<std::uint8_t> file(data, data + size);
    f.fake.files.files["in.vfd"] = file;
    f.fake.dialog.answers.push_back({"in.vfd", "in.vfd"});

    const EditorModel model_before = editor.model;
    const SettingsImage image_before = editor.image;
    const auto number_before = editor.udc_number;
    const auto start_before = editor.udc_start;

    load_from_file(editor);

    const auto texts = f.fake.boxes.texts();
    const bool refused = std::find(texts.begin(), texts.end(), "Error") != texts.end();
    // List bytes at positions 2, 4, 6 and 68 against lists of 2, 36, 10 and 3 entries.
    const bool bad = size < 126 || file[1] >= 2 || file[3] >= 36 || file[5] >= 10 || file[67] >= 3;
    fuzz::check(refused == bad, "exactly the short files and unknown list entries are refused");
    if (refused) {
        fuzz::check(editor.model == model_before, "a refused file leaves the controls alone");
        fuzz::check(editor.image == image_before, "a refused file leaves the image alone");
        fuzz::check(editor.udc_number == number_before && editor.udc_start == start_before,
                    "a refused file leaves the character page alone");
        return 0;
    }
    for (int p = 1; p <= image_size; ++p)
        fuzz::check(editor.image[p] == file[p - 1], "a loaded file fills the image");
    fuzz::check(editor.udc_number == 1 && editor.udc_start == 69, "a load shows character 1");

    f.fake.dialog.answers.push_back({"out.vfd", "out.vfd"});
    save_to_file(editor);
    const auto& saved = f.fake.files.files["out.vfd"];
    fuzz::check(saved.size() == 126, "a save writes 126 bytes");
    for (int p = 1; p <= image_size; ++p) {
        const bool in_line = p >= position::welcome_line1 && p < position::reserved_67;
        if (!in_line)
            fuzz::check(saved[p - 1] == file[p - 1], "a save gives the loaded bytes back");
    }
    const auto line_of = [](const std::vector<std::uint8_t>& bytes, int first, int count) {
        return std::vector<std::uint8_t>(bytes.begin() + first - 1,
                                         bytes.begin() + first - 1 + count);
    };
    fuzz::check(line_of(saved, 7, 20) == compacted(line_of(file, 7, 20)), "line 1 comes back");
    fuzz::check(line_of(saved, 27, 40) == compacted(line_of(file, 27, 40)), "line 2 comes back");
    return 0;
}
