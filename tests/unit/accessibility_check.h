#pragma once

#include "ui/link_label.h"

#include <QAccessible>
#include <QLabel>
#include <QWidget>

// Controls a screen reader could not name: focusable controls, pictures and
// links without an accessible name, and links that do not say where they lead.
inline QStringList unnamedForScreenReaders(QWidget *window)
{
    QStringList missing;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        auto *label = qobject_cast<QLabel *>(widget);
        const bool picture = label && !label->pixmap().isNull();
        auto *link = qobject_cast<zel::LinkLabel *>(widget);
        if (widget->focusPolicy() == Qt::NoFocus && !picture && !link)
            continue;
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
        if (!accessible || accessible->text(QAccessible::Name).trimmed().isEmpty())
            missing << widget->objectName() + QStringLiteral(": no name");
        if ((link || picture) && accessible && accessible->text(QAccessible::Description).isEmpty()
            && !picture)
            missing << widget->objectName() + QStringLiteral(": no destination");
    }
    return missing;
}

// The actions a screen reader can take on `object`, comma-separated.
inline QString actionsFor(QObject *object)
{
    QAccessibleInterface *heard = QAccessible::queryAccessibleInterface(object);
    QAccessibleActionInterface *actions = heard ? heard->actionInterface() : nullptr;
    return actions ? actions->actionNames().join(QLatin1Char(',')) : QString();
}

// Whether a screen reader finds `heard` on screen: neither it nor any
// container on the way up to its window is invisible, and each container
// lists what it holds.
inline bool showsToScreenReaders(QAccessibleInterface *heard)
{
    for (; !heard->state().invisible; heard = heard->parent()) {
        auto *widget = qobject_cast<QWidget *>(heard->object());
        if (widget && widget->isWindow())
            return true;
        if (!heard->parent() || heard->parent()->indexOfChild(heard) < 0)
            return false;
    }
    return false;
}

// What a screen reader is told of `object`: its role, its name, whether it
// is showing (neither covered nor hidden), its actions, and never a state
// that can be checked.
#define COMPARE_HEARD(object, expectedRole, expectedName, expectedShowing, expectedActions)        \
    do {                                                                                           \
        QAccessibleInterface *heard = QAccessible::queryAccessibleInterface(object);               \
        QVERIFY(heard);                                                                            \
        QCOMPARE(heard->role(), expectedRole);                                                     \
        QCOMPARE(heard->text(QAccessible::Name), expectedName);                                    \
        QCOMPARE(showsToScreenReaders(heard), expectedShowing);                                    \
        QCOMPARE(actionsFor(object), expectedActions);                                             \
        QVERIFY(!heard->state().checkable && !heard->state().checked);                             \
    } while (false)
