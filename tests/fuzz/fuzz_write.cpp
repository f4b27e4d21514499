// Any answer, split in chunks arriving at any times after the date has gone out, to "Write To
// Pole Display"; the first chunks may also be waiting before the port opens. The line carries
// exactly the request, the date and then either 0xAA with the image, 0x55, or nothing; the
// message matches; the port ends closed.
#include "arrival_script.h"
#include "commands/write_to_display.h"
#include "fuzz_check.h"
#include "support/fake_services.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pds;
    if (size == 0)
        return 0;
    fakes::EditorFixture f;
    auto& editor = f.editor;
    fuzz::start_up(editor);
    auto& port = f.fake.port;

    // The first byte says how many bytes of input are stale, waiting before the port opens.
    const std::size_t stale = std::min<std::size_t>(data[0], size - 1);
    port.arrive_in(0, std::vector<std::uint8_t>(data + 1, data + 1 + stale));
    const std::uint8_t* answer = data + 1 + stale;
    const std::size_t answer_size = size - 1 - stale;
    fuzz::Arrivals script;
    port.on_sent = [&](std::uint8_t) {
        if (port.sent.size() == 10)
            script = fuzz::schedule_arrivals(port, answer, answer_size);
    };

    write_to_display(editor);

    fuzz::check(!port.is_open(), "the port ends closed");
    const std::vector<std::uint8_t> request{0x1B, 0xEF, 2, 0, 2, 6, 1, 2, 0, 6};
    fuzz::check(port.sent.size() >= 10 &&
                    std::equal(request.begin(), request.end(), port.sent.begin()),
                "request and date go out first");
    const auto texts = f.fake.boxes.texts();
    fuzz::check(texts.size() == 1, "one message");
    const std::string& text = texts.front();
    const bool hex_views = editor.model.line1.hex_shown() && editor.model.line2.hex_shown();

    if (text == "Download Fail ! Please retry again !") {
        fuzz::check(port.sent.size() == 10, "nothing follows the date without an answer");
        fuzz::check(hex_views, "a failed write leaves the lines in hex");
    } else if (text == "IRC check error ! Please retry again !") {
        fuzz::check(port.sent.size() == 11 && port.sent[10] == 0x55, "a wrong answer gets 0x55");
        fuzz::check(!script.stream.empty() && script.stream[0] != 0x8A,
                    "only a wrong byte is refused");
        fuzz::check(hex_views, "a failed write leaves the lines in hex");
    } else {
        const std::string success =
            std::string(29, ' ') + "Download successful!\r" +
            "Please restart the Pole Display for the changes to take affect.";
        fuzz::check(text == success, "the only other message is success");
        fuzz::check(!script.stream.empty() && script.stream[0] == 0x8A,
                    "success needs the right answer");
        const auto payload = editor.image.payload();
        fuzz::check(port.sent.size() == 137 && port.sent[10] == 0xAA &&
                        std::equal(payload.begin(), payload.end(), port.sent.begin() + 11),
                    "success sends 0xAA and the image");
        fuzz::check(editor.model.line1.characters_shown() && editor.model.line2.characters_shown(),
                    "success ends in the character views");
    }
    return 0;
}
