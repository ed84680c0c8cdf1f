#pragma once

#include <QObject>
#include <QString>

#include <initializer_list>

class QWidget;

// What the program tells screen readers beyond what Qt tells them by itself.
// All of it goes through Qt's accessibility interfaces, so the desktop's
// accessibility bus on Linux and UI Automation on Windows both receive it.
// Nothing here changes what is drawn, the focus or the Tab order.
namespace zel::accessibility {

// Installs the program's accessible interfaces for its links, panels, labels,
// push buttons, text fields and plain widgets. Every helper below calls it; calling it
// again does nothing.
void install();

// Drawn for looks alone: hidden from screen readers.
void hideAsDecoration(QWidget *widget);
// A window that a screen reader reads out whole when it opens, as it reads
// a dialog: its title and its texts, then the focused control.
void readWhenOpened(QWidget *window);
// Siblings that share one rectangle and take turns in front with raise().
// The ones behind, and everything in them, are not showing to a screen
// reader; each comes back when it is raised.
void shareRectangle(std::initializer_list<QWidget *> siblings);
// Whether a screen reader is told that `widget` lies behind a sibling.
bool isCovered(const QWidget *widget);

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
