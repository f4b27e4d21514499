// The window is laid out in twips (1/1440 inch), so it keeps its proportions on every screen.
#pragma once

#include <QRect>
#include <QtGlobal>

namespace pds::ui {

// A rectangle in twips: left, top, width, height.
struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

class Twips {
public:
    explicit Twips(qreal dots_per_inch) : scale_(dots_per_inch / 1440.0) {}

    int operator()(int twips) const { return qRound(twips * scale_); }
    QRect rect(int left, int top, int width, int height) const {
        return {(*this)(left), (*this)(top), (*this)(width), (*this)(height)};
    }
    QRect rect(const TwipsRect& r) const { return rect(r.left, r.top, r.width, r.height); }

private:
    qreal scale_;
};

} // namespace pds::ui
