#include "ui/panel.h"

#include <QPainter>

namespace zel {

namespace {
// The border keeps the system's 3D greys whatever the panel's own colour.
const QColor Shadow(160, 160, 160);
const QColor Highlight(255, 255, 255);
constexpr int CaptionIndent = 8;
constexpr int CaptionPadding = 2;
} // namespace

Panel::Panel(const QString &caption, QWidget *parent)
    : QWidget(parent)
    , captionText(caption)
{
    setAutoFillBackground(true);
    setAccessibleName(caption);
}

void Panel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    const int top = captionText.isEmpty() ? 0 : metrics.height() / 2;
    const QRect border(0, top, width() - 2, height() - top - 2);

    painter.setPen(Shadow);
    painter.drawRect(border);
    painter.setPen(Highlight);
    painter.drawRect(border.translated(1, 1));

    if (captionText.isEmpty())
        return;
    const QRect captionRect(CaptionIndent, 0,
                            metrics.horizontalAdvance(captionText) + 2 * CaptionPadding,
                            metrics.height());
    painter.fillRect(captionRect, palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(captionRect, Qt::AlignCenter | Qt::TextSingleLine, captionText);
}

} // namespace zel
