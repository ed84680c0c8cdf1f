#include "accessibility/accessibility.h"

#include "accessibility/announcement_accessible.h"
#include "accessibility/announcer.h"
#include "accessibility/decoration_accessible.h"
#include "accessibility/limited_text_edit_accessible.h"
#include "accessibility/line_field_accessible.h"
#include "accessibility/link_accessible.h"
#include "accessibility/panel_accessible.h"
#include "ui/limited_text_edit.h"
#include "ui/link_label.h"
#include "ui/panel.h"
#include "ui/plain_widgets.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace zel::accessibility {

namespace {

// The interface `Interface` for an object of class `Object`.
template<typename Interface, typename Object>
QAccessibleInterface *newInterface(QObject *object)
{
    return new Interface(static_cast<Object *>(object));
}

// Qt's own interface for a widget, in `role`.
template<QAccessible::Role role>
QAccessibleInterface *newWidgetInterface(QObject *object)
{
    return new QAccessibleWidget(static_cast<QWidget *>(object), role);
}

// Each of the program's classes that has an interface of its own, and how
// that interface is made. Keyed on the class itself, so that a class renamed
// keeps its interface.
struct ClassInterface
{
    const QMetaObject *type;
    QAccessibleInterface *(*make)(QObject *object);
};

const ClassInterface Interfaces[] = {
    {&Announcer::staticMetaObject, newInterface<AnnouncementAccessible, Announcer>},
    {&LinkLabel::staticMetaObject, newInterface<LinkAccessible, LinkLabel>},
    {&LimitedTextEdit::staticMetaObject, newInterface<LimitedTextEditAccessible, LimitedTextEdit>},
    {&LineField::staticMetaObject, newInterface<LineFieldAccessible, LineField>},
    {&Panel::staticMetaObject, newInterface<PanelAccessible, Panel>},
    {&Area::staticMetaObject, newWidgetInterface<QAccessible::Pane>},
    {&Decoration::staticMetaObject, newInterface<DecorationAccessible, Decoration>},
    {&DialogWindow::staticMetaObject, newWidgetInterface<QAccessible::Dialog>},
};

// Qt asks for each class that `object` is, from its own class up to QObject,
// until one has an interface: a window built on DialogWindow is a dialog.
QAccessibleInterface *interfaceFor(const QString &className, QObject *object)
{
    for (const ClassInterface &served : Interfaces) {
        if (className == QLatin1StringView(served.type->className())
            && object->metaObject()->inherits(served.type))
            return served.make(object);
    }
    return nullptr;
}

} // namespace

void install()
{
    QAccessible::installFactory(interfaceFor);
}

} // namespace zel::accessibility
