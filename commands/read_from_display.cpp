#include "commands/read_from_display.h"

#include "commands/port_checkup.h"
#include "commands/welcome_lines.h"
#include "editor/host_link.h"
#include "link/port_failure_message.h"
#include "link/read_exchange.h"
#include "message/message_line.h"

#include <algorithm>

namespace pds {

namespace {

// A received code selects the entry its list has at that place; a code past the end of its
// list leaves the list's selection as it was, and the code stays in the image.
void show_received_settings(Editor& editor) {
    auto& model = editor.model;
    for (const auto& field : image_list_fields) {
        ListBox& list = list_of(model, field);
        const std::uint8_t code = editor.image[field.position];
        if (code < list.size())
            list.select(code);
    }
    show_image_lines(editor);
}

} // namespace

void read_from_display(Editor& editor) {
    Services& p = editor.services;
    const LinkSettings link = take_link_settings(editor.model);
    if (const auto failure = open_port(p.port, link)) {
        p.boxes.show(with_checkup(
            port_failure_message(editor.model.host_port.text(), link.line_settings, *failure),
            p.port_examiner, failure->device));
        return;
    }
    const ReadResult result = read_exchange(p.port, p.clock);
    if (result.outcome == ReadOutcome::Received)
        std::copy(result.reply.begin(), result.reply.end(), editor.image.bytes.begin());
    p.port.close();

    switch (result.outcome) {
    case ReadOutcome::Received:
        break;
    case ReadOutcome::NeverQuiet:
        p.boxes.show(port_failure_message(editor.model.host_port.text(), link.line_settings,
                                          never_quiet_failure(p.port)));
        return;
    case ReadOutcome::NoAnswer:
    case ReadOutcome::LineStuck:
    case ReadOutcome::LostBeforeReply:
        p.boxes.show(editor.model.host_port.text() + cant_be_open);
        return;
    case ReadOutcome::Short:
    case ReadOutcome::BadMark:
    case ReadOutcome::LostDuringReply:
        p.boxes.show(receive_check_error);
        return;
    }

    p.boxes.show(upload_ok);
    show_received_settings(editor);
}

} // namespace pds
