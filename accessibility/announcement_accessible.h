#pragma once

#include <QAccessibleObject>

namespace zel::accessibility {

class Announcer;

// What an Announcer says: a notification that shows each time it speaks.
// It is no child of its owner, so reviewing the window does not read it a
// second time beside the labels it repeats.
class AnnouncementAccessible final : public QAccessibleObject
{
public:
    explicit AnnouncementAccessible(Announcer *announcer);

    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;

private:
    Announcer *announcer() const;
};

} // namespace zel::accessibility
