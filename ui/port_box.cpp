#include "ui/port_box.h"

namespace pds::ui {

void PortBox::showPopup() {
    if (before_opening)
        before_opening();
    QComboBox::showPopup();
}

} // namespace pds::ui
