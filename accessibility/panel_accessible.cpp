#include "accessibility/panel_accessible.h"

#include <QApplication>
#include <QWidget>

namespace zel::accessibility {

PanelAccessible::PanelAccessible(QWidget *widget)
    : WidgetAccessible(widget, QAccessible::Grouping)
{ }

namespace {

// The child of `panel` that holds the focus, or none.
QAccessibleInterface *focusedChild(const WidgetAccessible &panel)
{
    const QWidget *focus = QApplication::focusWidget();
    for (int i = 0; focus && i < panel.WidgetAccessible::childCount(); ++i) {
        QAccessibleInterface *child = panel.WidgetAccessible::child(i);
        const auto *widget = child ? qobject_cast<const QWidget *>(child->object()) : nullptr;
        if (widget && (widget == focus || widget->isAncestorOf(focus)))
            return child;
    }
    return nullptr;
}

} // namespace

int PanelAccessible::childCount() const
{
    return isCovered() ? int(focusedChild(*this) != nullptr) : WidgetAccessible::childCount();
}

QAccessibleInterface *PanelAccessible::child(int index) const
{
    return !isCovered() ? WidgetAccessible::child(index)
        : index == 0    ? focusedChild(*this)
                        : nullptr;
}

int PanelAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!isCovered())
        return WidgetAccessible::indexOfChild(child);
    return child && child == focusedChild(*this) ? 0 : -1;
}

} // namespace zel::accessibility
