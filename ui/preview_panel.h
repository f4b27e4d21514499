// The welcome lines in 5 x 7 dots under the two lines of the "Welcome Msg" tab, lit and dark
// as on the display's glass.
#pragma once

#include "glyphs/dot_preview.h"

#include <QPixmap>
#include <QWidget>

namespace pds::ui {

class PreviewPanel : public QWidget {
    Q_OBJECT

public:
    explicit PreviewPanel(QWidget* parent = nullptr);

    // Takes the dots to show; repaints, and retells which codes are hatched, only when they
    // differ from those shown.
    void show_preview(DotPreview preview);

    const DotPreview& shown() const { return preview_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    DotPreview preview_;
    QPixmap glass_;
};

// What the tooltip and assistive technology say about the hatched codes.
QString missing_glyphs_text(const DotPreview& preview);

} // namespace pds::ui
