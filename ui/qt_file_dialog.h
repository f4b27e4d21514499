#pragma once

#include "services/file_dialog.h"

class QWidget;

namespace pds {

// The toolkit's file dialog, modal to its parent. Adds no extension to a typed name and gives
// no start folder or default name.
class QtFileDialog : public FileDialog {
public:
    explicit QtFileDialog(QWidget* parent = nullptr) : parent_(parent) {}
    void set_parent(QWidget* parent) { parent_ = parent; }

    ChosenFile choose_save(const FileFilter& filter) override;
    ChosenFile choose_open(const FileFilter& filter) override;

private:
    QWidget* parent_;
};

} // namespace pds
