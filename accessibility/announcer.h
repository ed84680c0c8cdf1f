#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace zel::accessibility {

// Says what the user would otherwise never hear, without moving the focus:
// each announce() is spoken once, even when it repeats the last one.
class Announcer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Announcer)

public:
    // Announcements are made for `owner`'s window.
    explicit Announcer(QWidget *owner);

    void announce(const QString &name, const QString &text);

    QWidget *owner() const;
    QString name() const { return title; }
    QString text() const { return body; }
    bool hasSpoken() const { return spoken; }

private:
    QString title;
    QString body;
    bool spoken = false;
};

} // namespace zel::accessibility
