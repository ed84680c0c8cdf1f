#include "ui/held_key.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>

namespace zel {

namespace {

// Under load, and more often with a screen reader's bridge on, Qt on X11 can
// hand on a held key's repeat as a plain release followed by a new press. X
// stamps that release and press with the same millisecond, or the next; a
// person cannot release a key and press it again so soon, on the same control.
// A key without a time (0, which no system sends) says nothing.
constexpr quint32 RepeatGap = 2;

bool pressingKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
}

// Whether `receiver` takes the pressing `key` as text.
bool types(const QObject *receiver, int key)
{
    if (const auto *edit = qobject_cast<const QPlainTextEdit *>(receiver))
        return !edit->isReadOnly();
    if (const auto *edit = qobject_cast<const QTextEdit *>(receiver))
        return !edit->isReadOnly();
    const auto *line = qobject_cast<const QLineEdit *>(receiver);
    return line && !line->isReadOnly() && key == Qt::Key_Space
        && !line->inputMethodHints().testFlag(Qt::ImhEmailCharactersOnly);
}

class HeldKeyFilter final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *receiver, QEvent *event) override
    {
        // Keys come to the window first, then to its focused control: the
        // control decides.
        if (!receiver->isWidgetType() && event->type() != QEvent::Shortcut)
            return false;
        switch (event->type()) {
        case QEvent::KeyRelease: {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (receiver != QApplication::focusObject()) // on its way up to the parents
                return false;
            releasedKey = key->key();
            releasedAt = quint32(key->timestamp());
            releasedOn = receiver;
            return false;
        }
        case QEvent::ShortcutOverride:
        case QEvent::KeyPress: {
            auto *key = static_cast<QKeyEvent *>(event);
            // Decided where the key comes first; its way up to the parents
            // keeps it. Timestamps wrap at 32 bits on X11 and Windows alike.
            if (receiver == QApplication::focusObject())
                held = key->isAutoRepeat()
                    || (key->key() == releasedKey && receiver == releasedOn && releasedAt != 0
                        && quint32(key->timestamp()) - releasedAt <= RepeatGap);
            if (event->type() != QEvent::KeyPress || !held || !pressingKey(key->key())
                || types(receiver, key->key()))
                return false;
            // Taken, so that no default button answers it either.
            key->accept();
            return true;
        }
        case QEvent::Shortcut: // the held key's own, which it sends at once
            return held;
        default:
            return false;
        }
    }

private:
    int releasedKey = 0;
    quint32 releasedAt = 0;
    QPointer<QObject> releasedOn;
    bool held = false;
};

} // namespace

void pressOncePerHold()
{
    static HeldKeyFilter *filter = nullptr;
    if (!filter)
        qApp->installEventFilter(filter = new HeldKeyFilter(qApp));
}

} // namespace zel
