#include "accessibility/widget_accessible.h"

#include <QStackedLayout>
#include <QWidget>

namespace zel::accessibility {

QAccessible::State WidgetAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    // Covered: neither showing nor visible, but with the focus, which the
    // question field keeps after a reading: a screen reader says nothing of
    // what it is told is not there.
    if (isCovered() && !state.focused)
        state.invisible = true;
    return state;
}

bool WidgetAccessible::isCovered() const
{
    for (const QWidget *page = widget(); page && !page->isWindow(); page = page->parentWidget()) {
        auto *stack = qobject_cast<QStackedLayout *>(page->parentWidget()->layout());
        if (stack && stack->currentWidget() != page
            && stack->indexOf(const_cast<QWidget *>(page)) >= 0)
            return true;
    }
    return false;
}

} // namespace zel::accessibility
