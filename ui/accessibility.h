#pragma once

#include <QObject>
#include <QString>

#include <initializer_list>

class QRect;
class QStackedLayout;
class QWidget;

// What the program tells screen readers beyond what Qt tells them by itself.
// All of it goes through Qt's accessibility interfaces, so the desktop's
// accessibility bus on Linux and UI Automation on Windows both receive it.
// Nothing here changes what is drawn, the focus or the Tab order; stackPages
// only places its pages where they were designed to lie.
namespace zel::accessibility {

// Installs the program's accessible interfaces: for its links, panels,
// fields, decorations and dialog windows, and for what an Announcer says.
// Every class of Qt's own keeps Qt's interface. Start-up calls it once,
// before the first window is built.
void install();

// Pages that share one rectangle of `parent` (`place`) and take turns in
// front. Every page stays shown, so its access keys work from behind; the
// stack's current page lies on top. A screen reader is told only of the
// current page and hears the pages change.
QStackedLayout *stackPages(QWidget *parent, const QRect &place,
                           std::initializer_list<QWidget *> pages);

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
