#include "ui/preview_panel.h"

#include <QPainter>

#include <algorithm>
#include <vector>

namespace pds::ui {

namespace {

// In dot pitches: a margin of one, a blank column between cells, two blank rows between the
// lines and one between the two rows of line 2.
constexpr int pitches_across = 1 + preview_row_cells * (udc_columns + 1);
constexpr int pitches_down = 1 + udc_rows + 2 + udc_rows + 1 + udc_rows + 1;
constexpr int row_tops[preview_rows] = {1, 1 + udc_rows + 2, 1 + 2 * udc_rows + 3};

// The blue-green of a vacuum-fluorescent glass; unlit dots glow faintly through it.
const QColor glass(0, 0, 0);
const QColor lit(64, 255, 208);
const QColor unlit(18, 46, 42);
const QColor hatch(32, 128, 104); // a code without a glyph: dimmer, so it reads as a stand-in

bool same_dots(const DotPreview& a, const DotPreview& b) {
    for (int row = 0; row < preview_rows; ++row)
        for (int cell = 0; cell < preview_row_cells; ++cell) {
            const PreviewCell& x = a.rows[row][cell];
            const PreviewCell& y = b.rows[row][cell];
            if (x.look != y.look || x.code != y.code || !(x.dots == y.dots))
                return false;
        }
    return a.missing == b.missing;
}

QString code_text(std::uint8_t code) {
    return QStringLiteral("0x") + QString::number(code, 16).toUpper().rightJustified(2, u'0');
}

} // namespace

QString missing_glyphs_text(const DotPreview& preview) {
    if (preview.missing.empty())
        return QStringLiteral("Every code has its glyph.");
    std::vector<std::uint8_t> codes;
    for (const auto& missing : preview.missing)
        if (std::find(codes.begin(), codes.end(), missing.code) == codes.end())
            codes.push_back(missing.code);
    QStringList texts;
    for (auto code : codes)
        texts << code_text(code);
    return QStringLiteral("Drawn hatched, no glyph in this code page: ") +
           texts.join(QStringLiteral(", "));
}

PreviewPanel::PreviewPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Preview"));
    setAccessibleName(QStringLiteral("Display preview"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    const QString text = missing_glyphs_text(preview_);
    setToolTip(text);
    setAccessibleDescription(text);
}

void PreviewPanel::show_preview(DotPreview preview) {
    if (same_dots(preview, preview_))
        return;
    preview_ = std::move(preview);
    const QString text = missing_glyphs_text(preview_);
    if (toolTip() != text) {
        setToolTip(text);
        setAccessibleDescription(text);
    }
    update();
}

void PreviewPanel::paintEvent(QPaintEvent*) {
    const qreal pitch = std::min(qreal(width()) / pitches_across, qreal(height()) / pitches_down);
    const QPointF origin((width() - pitch * pitches_across) / 2,
                         (height() - pitch * pitches_down) / 2);
    const qreal dot = pitch * 0.8;
    const auto dot_at = [&](int row, int cell, int column, int r) {
        return QRectF(origin.x() + pitch * (1 + cell * (udc_columns + 1) + column - 1),
                      origin.y() + pitch * (row_tops[row] + r), dot, dot);
    };

    // The glass with every dot dark changes only with the size; the lit dots, a fraction of
    // them, are painted over it.
    if (glass_.size() != size() * devicePixelRatioF()) {
        glass_ = QPixmap(size() * devicePixelRatioF());
        glass_.setDevicePixelRatio(devicePixelRatioF());
        glass_.fill(glass);
        QPainter painter(&glass_);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(unlit);
        for (int row = 0; row < preview_rows; ++row)
            for (int cell = 0; cell < preview_row_cells; ++cell)
                for (int column = 1; column <= udc_columns; ++column)
                    for (int r = 0; r < udc_rows; ++r)
                        painter.drawEllipse(dot_at(row, cell, column, r));
    }

    QPainter painter(this);
    painter.drawPixmap(0, 0, glass_);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int row = 0; row < preview_rows; ++row) {
        for (int cell = 0; cell < preview_row_cells; ++cell) {
            const PreviewCell& shown = preview_.rows[row][cell];
            painter.setBrush(shown.look == CellLook::Missing ? hatch : lit);
            for (int column = 1; column <= udc_columns; ++column)
                for (int r = 0; r < udc_rows; ++r)
                    if (shown.dots.lit(column, r))
                        painter.drawEllipse(dot_at(row, cell, column, r));
        }
    }
}

} // namespace pds::ui
