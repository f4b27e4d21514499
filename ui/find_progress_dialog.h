// The progress of the window's Find, in a dialog whose Cancel stops it.
#pragma once

#include "commands/find_display.h"

#include <QProgressDialog>

namespace pds::ui {

class FindProgressDialog : public FindProgress {
public:
    explicit FindProgressDialog(QWidget* window);

    void next_step(int done, int total, const std::string& port, int speed) override;
    bool cancelled() override;
    void finished() override;

private:
    QProgressDialog dialog;
};

} // namespace pds::ui
