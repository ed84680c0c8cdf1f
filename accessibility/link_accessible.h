#pragma once

#include "accessibility/widget_accessible.h"

namespace zel {
class LinkLabel;
}

namespace zel::accessibility {

// A link: its destination in its description, and a press that opens it
// exactly as a click does.
class LinkAccessible final : public WidgetAccessible
{
public:
    explicit LinkAccessible(LinkLabel *link);

    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;
    QStringList actionNames() const override;
    void doAction(const QString &action) override;

private:
    LinkLabel *link() const;
};

} // namespace zel::accessibility
