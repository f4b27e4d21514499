#include "link/read_transfer.h"

#include "link/link_settings.h"
#include "link/port_failure_message.h"
#include "link/read_exchange.h"
#include "message/message_editor.h"
#include "settings/option_lists.h"

#include <algorithm>
#include <array>
#include <span>

namespace pds {

namespace {

// A received code selects an entry only below its bound and when its list has that entry;
// otherwise the list keeps its selection and the code stays in the image.
struct ListField {
    ListBox EditorModel::*list;
    int position;
    int bound;
};

// In the order the lists are set.
constexpr std::array<ListField, 4> list_fields{{
    {&EditorModel::BaudRate, position::display_baud, 4},
    {&EditorModel::Char, position::code_page, 36},
    {&EditorModel::Command, position::command_set, 17},
    {&EditorModel::Passthru, position::passthru_mode, 4},
}};

void show_received_settings(Editor& editor) {
    for (const auto& field : list_fields) {
        ListBox& list = editor.model.*field.list;
        const std::uint8_t code = editor.image[field.position];
        if (code >= field.bound)
            continue;
        if (const auto entry = entry_for_byte(list, code))
            list.select(*entry);
    }
    const auto& bytes = editor.image.bytes;
    unpack_message_line(editor.model.L1,
                        std::span(bytes).subspan(position::welcome_line1, editor.model.L1.cells));
    unpack_message_line(editor.model.L2,
                        std::span(bytes).subspan(position::welcome_line2, editor.model.L2.cells));
}

} // namespace

void GetSetting_Click(Editor& editor) {
    Platform& p = editor.platform;
    const LinkSettings link = take_link_settings(editor.model);
    if (const auto failure = open_port(p.port, link)) {
        p.boxes.show(port_failure_message(editor.model.Comm.text(), link.line_settings, *failure));
        return;
    }
    const ReadResult result = read_exchange(p.port, p.clock);
    if (result.outcome == ReadOutcome::Received)
        std::copy(result.reply.begin(), result.reply.end(), editor.image.bytes.begin());
    p.port.close();

    switch (result.outcome) {
    case ReadOutcome::Received:
        break;
    case ReadOutcome::NoAnswer:
    case ReadOutcome::LineStuck:
    case ReadOutcome::LostBeforeReply:
        p.boxes.show(editor.model.Comm.text() + cant_be_open);
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
