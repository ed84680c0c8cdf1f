#include "ui/accessibility.h"

#include "ui/link_label.h"
#include "ui/look.h"
#include "ui/panel.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QEvent>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QTextDocument>
#include <QWidget>
#include <QWindow>

#ifdef Q_OS_WIN
#include "ui/announce_win.h"
#include "ui/windows_handle.h"
#endif

namespace zel::accessibility {

namespace {

// What a widget is to a screen reader, where it differs from what Qt
// guesses from its class.
const char *const Kind = "zelAccessibleKind";
const char *const PushButtonKind = "pushButton";
const char *const DecorationKind = "decoration";
const char *const DialogKind = "dialog";
// Set on each sibling that takes turns in front of the others.
const char *const SharesRectangle = "zelSharesRectangle";

bool isKind(const QObject *object, const char *kind)
{
    return object->property(Kind).toByteArray() == kind;
}

bool isDecoration(const QWidget *widget)
{
    return isKind(widget, DecorationKind);
}

// Covered or drawn for looks alone: neither showing nor visible.
QAccessible::State seen(QAccessible::State state, const QWidget *widget)
{
    if (isDecoration(widget) || isCovered(widget))
        state.invisible = true;
    return state;
}

// A plain widget: a window, a strip, a rule.
class WidgetAccessible final : public QAccessibleWidget
{
public:
    explicit WidgetAccessible(QWidget *widget)
        : QAccessibleWidget(widget)
    { }

    QAccessible::Role role() const override
    {
        if (isKind(object(), DialogKind))
            return QAccessible::Dialog;
        // A strip or area that only holds other controls is no group a
        // screen reader should announce without a name.
        return widget()->isWindow() ? QAccessibleWidget::role() : QAccessible::Pane;
    }
    QAccessible::State state() const override { return seen(QAccessibleWidget::state(), widget()); }
    QString text(QAccessible::Text t) const override
    {
        return isDecoration(widget()) ? QString() : QAccessibleWidget::text(t);
    }
};

// A panel: a group named by its caption.
class PanelAccessible final : public QAccessibleWidget
{
public:
    explicit PanelAccessible(QWidget *widget)
        : QAccessibleWidget(widget, QAccessible::Grouping)
    { }

    QAccessible::State state() const override { return seen(QAccessibleWidget::state(), widget()); }
};

// Text or a picture, as Qt's own label interface has it, plus covering.
class LabelAccessible final : public QAccessibleWidget
{
public:
    explicit LabelAccessible(QWidget *widget)
        : QAccessibleWidget(widget, QAccessible::StaticText)
    { }

    QLabel *label() const { return static_cast<QLabel *>(widget()); }

    QAccessible::Role role() const override
    {
        return label()->pixmap().isNull() ? QAccessible::StaticText : QAccessible::Graphic;
    }
    QAccessible::State state() const override
    {
        QAccessible::State state = seen(QAccessibleWidget::state(), widget());
        state.readOnly = true;
        return state;
    }
    QString text(QAccessible::Text t) const override
    {
        if (isDecoration(widget()))
            return QString();
        QString text;
        if (t == QAccessible::Name) {
            text = widget()->accessibleName();
            if (text.isEmpty()) {
                text = label()->text();
                if (label()->textFormat() == Qt::RichText
                    || (label()->textFormat() == Qt::AutoText && Qt::mightBeRichText(text))) {
                    QTextDocument document;
                    document.setHtml(text);
                    text = document.toPlainText();
                }
                if (label()->buddy())
                    text = look::labelCaption(text);
            }
        }
        return text.isEmpty() ? QAccessibleWidget::text(t) : text;
    }
};

// A push button as Qt's own button interface has it, plus covering; a
// button that only shows a press is never a check box.
class ButtonAccessible final : public QAccessibleWidget
{
public:
    explicit ButtonAccessible(QWidget *widget)
        : QAccessibleWidget(widget)
    { }

    QPushButton *button() const { return static_cast<QPushButton *>(widget()); }
    bool toggles() const { return button()->isCheckable() && !isKind(object(), PushButtonKind); }

    QAccessible::Role role() const override
    {
        if (button()->menu())
            return QAccessible::ButtonMenu;
        return toggles() ? QAccessible::CheckBox : QAccessible::Button;
    }
    QAccessible::State state() const override
    {
        QAccessible::State state = seen(QAccessibleWidget::state(), widget());
        if (toggles()) {
            state.checkable = true;
            state.checked = button()->isChecked();
        }
        state.pressed = button()->isDown();
        state.defaultButton = button()->isDefault();
        state.hasPopup = button()->menu() != nullptr;
        return state;
    }
    QString text(QAccessible::Text t) const override
    {
        QString text;
        if (t == QAccessible::Name) {
            text = widget()->accessibleName();
            if (text.isEmpty())
                text = look::labelCaption(button()->text());
        } else if (t == QAccessible::Accelerator) {
            text = button()->isDefault()
                ? QKeySequence(Qt::Key_Enter).toString(QKeySequence::NativeText)
                : QKeySequence::mnemonic(button()->text()).toString(QKeySequence::NativeText);
        }
        return text.isEmpty() ? QAccessibleWidget::text(t) : text;
    }

    QStringList actionNames() const override
    {
        QStringList names;
        if (widget()->isEnabled())
            names << (toggles()              ? toggleAction()
                          : button()->menu() ? showMenuAction()
                                             : pressAction());
        return names + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &action) override
    {
        if (!widget()->isEnabled())
            return;
        if (action == pressAction())
            button()->animateClick();
        else if (action == showMenuAction())
            button()->showMenu();
        else if (action == toggleAction())
            button()->toggle();
        else
            QAccessibleWidget::doAction(action);
    }
    QStringList keyBindingsForAction(const QString &action) const override
    {
        if (action == pressAction())
            return {button()->shortcut().toString()};
        return {};
    }
};

// A link: its destination in its description, and a press that opens it
// exactly as a click does. It never takes the keyboard focus.
class LinkAccessible final : public QAccessibleWidget
{
public:
    explicit LinkAccessible(QWidget *widget)
        : QAccessibleWidget(widget, QAccessible::Link)
    { }

    LinkLabel *link() const { return static_cast<LinkLabel *>(widget()); }

    QAccessible::State state() const override
    {
        QAccessible::State state = seen(QAccessibleWidget::state(), widget());
        state.linked = true;
        state.readOnly = true;
        return state;
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return link()->text();
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override
    {
        return QStringList {pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &action) override
    {
        if (action == pressAction())
            Q_EMIT link()->clicked();
        else
            QAccessibleWidget::doAction(action);
    }
};

// What an Announcer says: a notification that shows each time it speaks.
// It is no child of its owner, so reviewing the window does not read it a
// second time beside the labels it repeats.
class AnnouncementAccessible final : public QAccessibleObject
{
public:
    explicit AnnouncementAccessible(Announcer *announcer)
        : QAccessibleObject(announcer)
    { }

    Announcer *announcer() const { return static_cast<Announcer *>(object()); }

    QWindow *window() const override { return announcer()->owner()->window()->windowHandle(); }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(announcer()->owner());
    }
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QRect rect() const override
    {
        const QWidget *owner = announcer()->owner();
        return QRect(owner->mapToGlobal(QPoint(0, 0)), owner->size());
    }
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.invisible = !announcer()->hasSpoken();
        state.readOnly = true;
        return state;
    }
    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            return announcer()->name();
        case QAccessible::Description:
            return announcer()->text();
        default:
            return QString();
        }
    }
};

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (className == QLatin1String("zel::accessibility::Announcer"))
        return new AnnouncementAccessible(static_cast<Announcer *>(object));
    if (!widget)
        return nullptr;
    if (className == QLatin1String("zel::LinkLabel"))
        return new LinkAccessible(widget);
    if (className == QLatin1String("zel::Panel"))
        return new PanelAccessible(widget);
    if (className == QLatin1String("QLabel"))
        return new LabelAccessible(widget);
    if (className == QLatin1String("QPushButton"))
        return new ButtonAccessible(widget);
    if (className == QLatin1String("QWidget"))
        return new WidgetAccessible(widget);
    return nullptr;
}

// Tells screen readers which of the siblings is in front whenever one is
// raised.
class StackingWatch final : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ZOrderChange && QAccessible::isActive()) {
            for (QObject *sibling : watched->parent()->children()) {
                auto *widget = qobject_cast<QWidget *>(sibling);
                if (!widget || !widget->property(SharesRectangle).toBool())
                    continue;
                QAccessibleEvent change(
                    widget, isCovered(widget) ? QAccessible::ObjectHide : QAccessible::ObjectShow);
                QAccessible::updateAccessibility(&change);
            }
        }
        return false;
    }
};

} // namespace

void install()
{
    QAccessible::installFactory(factory);
}

void exposeAsPushButton(QAbstractButton *button)
{
    install();
    button->setProperty(Kind, QByteArray(PushButtonKind));
}

void hideAsDecoration(QWidget *widget)
{
    install();
    widget->setProperty(Kind, QByteArray(DecorationKind));
}

void readWhenOpened(QWidget *window)
{
    install();
    window->setProperty(Kind, QByteArray(DialogKind));
}

void shareRectangle(std::initializer_list<QWidget *> siblings)
{
    install();
    static StackingWatch watch;
    for (QWidget *sibling : siblings) {
        sibling->setProperty(SharesRectangle, true);
        sibling->installEventFilter(&watch);
    }
}

bool isCovered(const QWidget *widget)
{
    for (; widget && !widget->isWindow(); widget = widget->parentWidget()) {
        if (!widget->property(SharesRectangle).toBool())
            continue;
        // raise() moves a widget to the end of its parent's children: the
        // later a sibling, the nearer the front.
        const QObjectList &siblings = widget->parentWidget()->children();
        for (qsizetype i = siblings.indexOf(widget) + 1; i < siblings.size(); ++i) {
            if (siblings.at(i)->property(SharesRectangle).toBool())
                return true;
        }
    }
    return false;
}

Announcer::Announcer(QWidget *owner)
    : QObject(owner)
{
    install();
}

QWidget *Announcer::owner() const
{
    return static_cast<QWidget *>(parent());
}

void Announcer::announce(const QString &name, const QString &text)
{
    title = name;
    body = text;
    // Showing again is what makes a screen reader speak it again.
    if (spoken) {
        QAccessibleEvent hidden(this, QAccessible::ObjectHide);
        QAccessible::updateAccessibility(&hidden);
    }
    spoken = true;
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
#ifdef Q_OS_WIN
    // UI Automation has no showing notification: it is told in words.
    if (!QAccessible::isActive())
        return;
    if (void *handle = windowsHandle(owner()))
        raiseNotification(
            handle, (text.isEmpty() ? name : name + QStringLiteral("\n") + text).toStdWString());
#endif
}

} // namespace zel::accessibility
