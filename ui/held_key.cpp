#include "ui/held_key.h"

#include <QKeyEvent>
#include <QWidget>

namespace zel {

namespace {

// Under load, and more often with a screen reader's bridge on, Qt on X11 can
// hand on a held key's repeat as a plain release followed by a new press. X
// stamps that release and press with the same millisecond, or the next; a
// person cannot release a key and press it again so soon.
constexpr quint32 RepeatGap = 2;

class HeldKeyFilter final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter
            && key->key() != Qt::Key_Space)
            return false;
        // Timestamps wrap at 32 bits on X11 and Windows alike.
        const auto at = quint32(key->timestamp());
        if (event->type() == QEvent::KeyRelease) {
            releasedKey = key->key();
            releasedAt = at;
            return false;
        }
        if (!key->isAutoRepeat() && (key->key() != releasedKey || at - releasedAt > RepeatGap))
            return false;
        // Taken, so that no default button answers it either.
        key->accept();
        return true;
    }

private:
    int releasedKey = 0;
    quint32 releasedAt = 0;
};

} // namespace

void pressOncePerHold(QWidget *widget)
{
    widget->installEventFilter(new HeldKeyFilter(widget));
}

} // namespace zel
