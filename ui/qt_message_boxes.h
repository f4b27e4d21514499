#pragma once

#include "services/message_boxes.h"

#include <QMessageBox>

#include <memory>

class QWidget;

namespace pds {

// The title of every box that gives none of its own (the window caption is not it).
inline constexpr const char* application_title = "Pole Display Setup";

// The box as it is shown: no icon, the text as given (blanks kept, a carriage return breaks
// the line, a line wider than the parent window breaks between words), OK alone or OK and
// Cancel with OK the default.
std::unique_ptr<QMessageBox> make_message_box(const std::string& text, const std::string& title,
                                              bool with_cancel, QWidget* parent);

// Modal boxes of the toolkit. While a transfer shows the busy cursor, a box shows the normal
// one, so the operator sees that it waits for an answer.
class QtMessageBoxes : public MessageBoxes {
public:
    explicit QtMessageBoxes(QWidget* parent = nullptr) : parent_(parent) {}
    void set_parent(QWidget* parent) { parent_ = parent; }

    void show(const std::string& text, const std::string& title = {}) override;
    bool confirm(const std::string& text, const std::string& title) override;

private:
    QWidget* parent_;
};

} // namespace pds
