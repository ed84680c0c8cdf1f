#include "accessibility/decoration_accessible.h"

namespace zel::accessibility {

DecorationAccessible::DecorationAccessible(QWidget *widget)
    : WidgetAccessible(widget, QAccessible::Pane)
{ }

QAccessible::State DecorationAccessible::state() const
{
    QAccessible::State state = WidgetAccessible::state();
    state.invisible = true;
    return state;
}

QString DecorationAccessible::text(QAccessible::Text) const
{
    return QString();
}

} // namespace zel::accessibility
