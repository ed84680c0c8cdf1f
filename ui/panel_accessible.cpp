#include "ui/panel_accessible.h"

namespace zel::accessibility {

PanelAccessible::PanelAccessible(QWidget *widget)
    : WidgetAccessible(widget, QAccessible::Grouping)
{ }

int PanelAccessible::childCount() const
{
    return isCovered() ? 0 : WidgetAccessible::childCount();
}

QAccessibleInterface *PanelAccessible::child(int index) const
{
    return isCovered() ? nullptr : WidgetAccessible::child(index);
}

int PanelAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    return isCovered() ? -1 : WidgetAccessible::indexOfChild(child);
}

} // namespace zel::accessibility
