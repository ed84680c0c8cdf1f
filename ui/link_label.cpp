#include "ui/link_label.h"

#include <QMouseEvent>

namespace zel {

LinkLabel::LinkLabel(const QString &text, const QString &destination, QWidget *parent)
    : QLabel(text, parent)
{
    // A screen reader hears a link (see accessibility.h); this says where to.
    setAccessibleDescription(QStringLiteral("Opens %1 in your web browser").arg(destination));
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void LinkLabel::mousePressEvent(QMouseEvent *event)
{
    pressed = event->button() == Qt::LeftButton;
    event->accept();
}

// Like a button: the click counts where the button is released over the label.
void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool wasPressed = pressed;
    pressed = false;
    event->accept();
    if (wasPressed && event->button() == Qt::LeftButton
        && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

} // namespace zel
