#pragma once

#include "accessibility/widget_accessible.h"

namespace zel::accessibility {

// A panel: a group named by its caption. A covered one shows a screen reader
// nothing inside it, just as it shows the eye nothing, but the control in it
// that has the focus (the Tab order keeps covered controls): a screen reader
// names the focus only where it finds it.
class PanelAccessible final : public WidgetAccessible
{
public:
    explicit PanelAccessible(QWidget *widget);

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
};

} // namespace zel::accessibility
