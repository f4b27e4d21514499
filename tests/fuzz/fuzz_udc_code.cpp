// Any text in the code box: either a code from 0x20 to 0x7E is taken and the box kept, or one
// of the two messages is shown and the box emptied.
#include "commands/udc_page.h"
#include "fuzz_check.h"
#include "support/fake_services.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pds;
    fakes::EditorFixture f;
    auto& editor = f.editor;
    const std::string text(reinterpret_cast<const char*>(data), size);
    editor.model.character_code = text;

    if (parse_udc_code(editor)) {
        fuzz::check(editor.udc_code >= 0x20 && editor.udc_code <= 0x7E, "accepted code in range");
        fuzz::check(editor.model.character_code == text, "an accepted code stays in the box");
        fuzz::check(f.fake.boxes.shown.empty(), "an accepted code shows nothing");
    } else {
        fuzz::check(f.fake.boxes.shown.size() == 1, "a refused code shows one message");
        const auto& message = f.fake.boxes.shown[0].text;
        fuzz::check(message == "Hex Value Error !!" || message == "Error !! Range is 0x20~0x7E !!",
                    "a refused code shows one of the two messages");
        fuzz::check(editor.model.character_code.empty(), "a refused code empties the box");
    }

    // Stepping with any code never leaves the nine characters.
    editor.model.character_code = text;
    for (int i = 0; i < 12; ++i)
        next_character(editor);
    fuzz::check(editor.udc_number >= 1 && editor.udc_number <= 9, "stepping stays on 1..9");
    fuzz::check(editor.udc_start == 69 + 6 * (editor.udc_number - 1), "slot follows the number");
    return 0;
}
