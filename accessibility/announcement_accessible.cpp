#include "accessibility/announcement_accessible.h"

#include "accessibility/announcer.h"

#include <QWidget>
#include <QWindow>

namespace zel::accessibility {

AnnouncementAccessible::AnnouncementAccessible(Announcer *announcer)
    : QAccessibleObject(announcer)
{ }

Announcer *AnnouncementAccessible::announcer() const
{
    return static_cast<Announcer *>(object());
}

QWindow *AnnouncementAccessible::window() const
{
    return announcer()->owner()->window()->windowHandle();
}

QAccessibleInterface *AnnouncementAccessible::parent() const
{
    return QAccessible::queryAccessibleInterface(announcer()->owner());
}

QRect AnnouncementAccessible::rect() const
{
    const QWidget *owner = announcer()->owner();
    return QRect(owner->mapToGlobal(QPoint(0, 0)), owner->size());
}

QAccessible::State AnnouncementAccessible::state() const
{
    QAccessible::State state;
    state.invisible = !announcer()->hasSpoken();
    state.readOnly = true;
    return state;
}

QString AnnouncementAccessible::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Name:
        return announcer()->name();
    case QAccessible::Description:
        return announcer()->text();
    default:
        return QString();
    }
}

} // namespace zel::accessibility
