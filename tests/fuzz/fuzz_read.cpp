// Any reply, split in chunks arriving at any times from the request's first byte on, to "Read
// Setting From Pole Display": chunks due at once wait before the request is complete and are no
// part of the reply; the image and the editor change only for a complete reply with a valid
// mark, one message is shown, and the port ends closed.
#include "arrival_script.h"
#include "commands/read_from_display.h"
#include "fuzz_check.h"
#include "support/fake_services.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pds;
    fakes::EditorFixture f;
    auto& editor = f.editor;
    fuzz::start_up(editor);
    for (int p = 1; p <= image_size; ++p)
        editor.image[p] = static_cast<std::uint8_t>(0x80 + p);
    const SettingsImage image_before = editor.image;
    const EditorModel model_before = editor.model;

    auto& port = f.fake.port;
    fuzz::Arrivals script;
    port.on_sent = [&](std::uint8_t) {
        if (port.sent.size() == 1)
            script = fuzz::schedule_arrivals(port, data, size);
    };
    read_from_display(editor);

    fuzz::check(!port.is_open(), "the port ends closed");
    const auto texts = f.fake.boxes.texts();
    fuzz::check(texts.size() == 1, "one message");
    const std::string& text = texts.front();
    if (text == "Upload O.K!") {
        const auto& reply = script.later;
        fuzz::check(reply.size() >= 127 && reply[0] == 0xAA,
                    "only a complete reply with its mark is taken");
        fuzz::check(std::equal(editor.image.bytes.begin(), editor.image.bytes.end(), reply.begin()),
                    "the image holds the first 127 bytes of the reply");
        fuzz::check(editor.model.line1.characters_shown() && editor.model.line2.characters_shown(),
                    "both lines end in the character view");
        return 0;
    }
    fuzz::check(text == "Com 1 can't be open !!" || text == "Receive Check bit Error !!",
                "a failed read says why");
    fuzz::check(editor.image == image_before, "a failed read keeps the image");
    fuzz::check(editor.model == model_before, "a failed read keeps the editor");
    return 0;
}
