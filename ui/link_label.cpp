#include "ui/link_label.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace zel {

LinkLabel::LinkLabel(const QString &text, const QString &destination, QWidget *parent)
    : QLabel(text, parent)
{
    // A screen reader hears a link (see link_accessible.h); this says where to.
    setAccessibleDescription(QStringLiteral("Opens %1 in your web browser").arg(destination));
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    // The keyboard reaches it; a click opens it without moving the focus.
    setFocusPolicy(Qt::TabFocus);
}

// Return, Enter and Space open the link once per press; a held key's repeats
// never come here (see held_key.h). They are taken here, so that a dialog's
// default button never answers them instead.
void LinkLabel::keyPressEvent(QKeyEvent *event)
{
    const bool unmodified = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (unmodified) {
            event->accept();
            Q_EMIT clicked();
            return;
        }
        break;
    default:
        break;
    }
    QLabel::keyPressEvent(event);
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

// The text as a plain label draws it, and around it a focus frame while the
// link has the focus. A label that can take the focus would lay its text out
// as a rich-text document instead, which lands half a pixel apart at some
// scales; the text is drawn here so that it never moves.
void LinkLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const bool rightToLeft = text().isRightToLeft();
    const int flags
        = int(QStyle::visualAlignment(rightToLeft ? Qt::RightToLeft : Qt::LeftToRight, alignment()))
        | (wordWrap() ? Qt::TextWordWrap : 0)
        | (rightToLeft ? Qt::TextForceRightToLeft : Qt::TextForceLeftToRight);
    const QRect textArea
        = contentsRect().marginsRemoved(QMargins(margin(), margin(), margin(), margin()));
    style()->drawItemText(&painter, textArea, flags, palette(), isEnabled(), text(),
                          foregroundRole());
    if (!hasFocus())
        return;
    const QRect textRect
        = style()->itemTextRect(fontMetrics(), textArea, flags, isEnabled(), text());
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = textRect.adjusted(-1, -1, 1, 1) & rect();
    option.backgroundColor = palette().color(backgroundRole());
    // In the link's own colour, which stands out on its ground where a
    // style's highlight may not (yellow on navy in the support window).
    option.palette.setColor(QPalette::Highlight, palette().color(foregroundRole()));
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

} // namespace zel
