#include "accessibility/link_accessible.h"

#include "ui/link_label.h"

namespace zel::accessibility {

LinkAccessible::LinkAccessible(LinkLabel *link)
    : WidgetAccessible(link, QAccessible::Link)
{ }

LinkLabel *LinkAccessible::link() const
{
    return static_cast<LinkLabel *>(widget());
}

QAccessible::State LinkAccessible::state() const
{
    QAccessible::State state = WidgetAccessible::state();
    state.linked = true;
    state.readOnly = true;
    return state;
}

QString LinkAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
        return link()->text();
    return WidgetAccessible::text(t);
}

QStringList LinkAccessible::actionNames() const
{
    return QStringList {pressAction()} + WidgetAccessible::actionNames();
}

void LinkAccessible::doAction(const QString &action)
{
    if (action == pressAction())
        Q_EMIT link()->clicked();
    else
        WidgetAccessible::doAction(action);
}

} // namespace zel::accessibility
