// Repeated controls share one object name and tell themselves apart by their "index"
// property, as the cells L1A 1..20 or the dots map1 0..6 are numbered.
#pragma once

#include <QString>
#include <QWidget>

namespace pds::ui {

inline void name_control(QWidget* widget, const QString& name, int index) {
    widget->setObjectName(name);
    widget->setProperty("index", index);
}

} // namespace pds::ui
