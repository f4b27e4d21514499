#include "commands/write_to_display.h"

#include "commands/capture.h"
#include "commands/port_checkup.h"
#include "commands/welcome_lines.h"
#include "editor/host_link.h"
#include "link/port_failure_message.h"
#include "link/port_routines.h"
#include "link/write_exchange.h"
#include "message/message_line.h"

namespace pds {

void write_to_display(Editor& editor) {
    Services& p = editor.services;
    const LinkSettings link = take_link_settings(editor.model);
    configure_port(p.port, link);
    capture_settings(editor);

    if (const auto failure = open_port(p.port, link)) {
        p.boxes.show(with_checkup(
            port_failure_message(editor.model.host_port.text(), link.line_settings, *failure),
            p.port_examiner, failure->device));
        return;
    }
    const WriteOutcome outcome =
        write_exchange(p.port, p.clock, p.calendar, editor.image.payload());
    p.port.close();

    switch (outcome) {
    case WriteOutcome::Written:
        break;
    case WriteOutcome::NeverQuiet:
        p.boxes.show(port_failure_message(editor.model.host_port.text(), link.line_settings,
                                          never_quiet_failure(p.port)));
        return;
    case WriteOutcome::CheckRefused:
        p.boxes.show(irc_check_error);
        return;
    case WriteOutcome::NoAnswer:
    case WriteOutcome::LineStuck:
    case WriteOutcome::DeviceLost:
        p.boxes.show(download_fail);
        return;
    }

    wait_ms(p.events, p.clock, after_write_pause_ms);
    select_line_view(editor, 1, MessageView::Characters);
    select_line_view(editor, 2, MessageView::Characters);
    p.boxes.show(download_successful);
}

} // namespace pds
