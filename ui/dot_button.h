#pragma once

#include <QAbstractButton>

namespace pds::ui {

// One dot of the character grid: a square filled with the desktop's text colour when lit and
// with a button's face colour when not. Painted here rather than through a style sheet, which
// would cost every start of the program noticeable time for 35 buttons.
//
// It is a checkable button whose checked state is the dot's, so assistive technology reports
// it; only set_lit changes that state. A click, the space key or an assistive "toggle" asks for
// the change, and the drawing of the result makes it.
class DotButton : public QAbstractButton {
public:
    explicit DotButton(QWidget* parent = nullptr);

    void set_lit(bool lit);
    bool lit() const { return lit_; }

    // Where the arrow keys take the focus; none past the edge of the grid.
    struct Neighbours {
        DotButton* left = nullptr;
        DotButton* right = nullptr;
        DotButton* up = nullptr;
        DotButton* down = nullptr;
    };
    void set_neighbours(const Neighbours& neighbours) { neighbours_ = neighbours; }

    QSize sizeHint() const override { return {23, 23}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void nextCheckState() override {}

private:
    bool lit_ = false;
    Neighbours neighbours_;
};

} // namespace pds::ui
