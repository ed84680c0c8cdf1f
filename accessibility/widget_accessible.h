#pragma once

#include <QAccessibleWidget>

namespace zel::accessibility {

// The base of every interface for the program's own widgets. A page that
// another page of its stack covers stays shown, so that its access keys work
// from behind (see stackPages); a screen reader is told that such a page and
// everything inside it is not showing, as the eye sees nothing of it.
class WidgetAccessible : public QAccessibleWidget
{
public:
    using QAccessibleWidget::QAccessibleWidget;

    QAccessible::State state() const override;

protected:
    // Behind another page of a stack whose pages all stay shown, or inside
    // such a page.
    bool isCovered() const;
};

} // namespace zel::accessibility
