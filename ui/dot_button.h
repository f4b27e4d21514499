#pragma once

#include <QAbstractButton>

namespace pds::ui {

// One dot of the character grid: a square filled with the desktop's text colour when lit and
// with a button's face colour when not. Painted here rather than through a style sheet, which
// would cost every start of the program noticeable time for 35 buttons.
class DotButton : public QAbstractButton {
public:
    explicit DotButton(QWidget* parent = nullptr);

    void set_lit(bool lit);
    bool lit() const { return lit_; }

    QSize sizeHint() const override { return {23, 23}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool lit_ = false;
};

} // namespace pds::ui
