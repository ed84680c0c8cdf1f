#include "accessibility/announcer.h"

#include "accessibility/announce.h"

#include <QAccessible>
#include <QWidget>

namespace zel::accessibility {

Announcer::Announcer(QWidget *owner)
    : QObject(owner)
{ }

QWidget *Announcer::owner() const
{
    return static_cast<QWidget *>(parent());
}

void Announcer::announce(const QString &name, const QString &text)
{
    title = name;
    body = text;
    // Showing again is what makes a screen reader speak it again.
    if (spoken) {
        QAccessibleEvent hidden(this, QAccessible::ObjectHide);
        QAccessible::updateAccessibility(&hidden);
    }
    spoken = true;
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
    notifySystem(owner(), text.isEmpty() ? name : name + QStringLiteral("\n") + text);
}

} // namespace zel::accessibility
