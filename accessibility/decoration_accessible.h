#pragma once

#include "accessibility/widget_accessible.h"

namespace zel::accessibility {

// Drawn for looks alone: no name, and never showing.
class DecorationAccessible final : public WidgetAccessible
{
public:
    explicit DecorationAccessible(QWidget *widget);

    QAccessible::State state() const override;
    QString text(QAccessible::Text) const override;
};

} // namespace zel::accessibility
