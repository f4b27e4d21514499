// The Comm box: reads the system's ports again each time its list opens, so an adapter plugged
// in after the window opened is there to choose.
#pragma once

#include <QComboBox>

#include <functional>

namespace pds::ui {

class PortBox : public QComboBox {
    Q_OBJECT

public:
    using QComboBox::QComboBox;
    std::function<void()> before_opening;

    void showPopup() override;
};

} // namespace pds::ui
