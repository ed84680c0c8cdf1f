#include "ui/accessibility.h"

#include "ui/announce.h"
#include "ui/limited_text_edit.h"
#include "ui/link_label.h"
#include "ui/plain_widgets.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QLineEdit>
#include <QStackedLayout>
#include <QTextDocument>
#include <QValidator>
#include <QWidget>
#include <QWindow>

namespace zel::accessibility {

namespace {

// Behind another page of a stack whose pages all stay shown, or inside such
// a page: what a screen reader must not take for what is on screen.
bool isCovered(const QWidget *widget)
{
    for (; widget && !widget->isWindow(); widget = widget->parentWidget()) {
        auto *pages = qobject_cast<QStackedLayout *>(widget->parentWidget()->layout());
        if (pages && pages->currentWidget() != widget
            && pages->indexOf(const_cast<QWidget *>(widget)) >= 0)
            return true;
    }
    return false;
}

// Covered: neither showing nor visible.
QAccessible::State seen(QAccessible::State state, const QWidget *widget)
{
    if (isCovered(widget))
        state.invisible = true;
    return state;
}

// A panel: a group named by its caption. A covered one shows a screen
// reader nothing inside it, just as it shows the eye nothing.
class PanelAccessible final : public QAccessibleWidget
{
public:
    explicit PanelAccessible(QWidget *widget)
        : QAccessibleWidget(widget, QAccessible::Grouping)
    { }

    QAccessible::State state() const override { return seen(QAccessibleWidget::state(), widget()); }
    int childCount() const override
    {
        return isCovered(widget()) ? 0 : QAccessibleWidget::childCount();
    }
    QAccessibleInterface *child(int index) const override
    {
        return isCovered(widget()) ? nullptr : QAccessibleWidget::child(index);
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return isCovered(widget()) ? -1 : QAccessibleWidget::indexOfChild(child);
    }
};

// A stack whose pages lie at one rectangle of their parent: Qt's own lays
// every page over the whole of its parent, whatever the margins.
class PageStack final : public QStackedLayout
{
public:
    using QStackedLayout::QStackedLayout;

    void setGeometry(const QRect &rect) override
    {
        QStackedLayout::setGeometry(rect.marginsRemoved(contentsMargins()));
    }
};

// Drawn for looks alone: no name, and never showing.
class DecorationAccessible final : public QAccessibleWidget
{
public:
    explicit DecorationAccessible(QWidget *widget)
        : QAccessibleWidget(widget, QAccessible::Pane)
    { }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.invisible = true;
        return state;
    }
    QString text(QAccessible::Text) const override { return QString(); }
};

// A link: its destination in its description, and a press that opens it
// exactly as a click does.
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

// What a screen reader reads and writes in a text field. Qt's own
// interfaces for fields are not public: these two follow them.
class TextFieldAccessible : public QAccessibleWidget,
                            public QAccessibleTextInterface,
                            public QAccessibleEditableTextInterface
{
public:
    explicit TextFieldAccessible(QWidget *widget)
        : QAccessibleWidget(widget, QAccessible::EditableText)
    { }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        if (t == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    void addSelection(int startOffset, int endOffset) override
    {
        setSelection(0, startOffset, endOffset);
    }
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = offset; // one look throughout
        return QString();
    }

protected:
    static QString none(int *startOffset, int *endOffset)
    {
        *startOffset = *endOffset = -1;
        return QString();
    }
};

// A single-line field as Qt's own interface has it, except that a word or a
// sentence asked for at the end of the text is the one that ends there: Qt's
// own search for it never returns (Qt 6.4 to 6.8 at least).
class LineEditAccessible final : public TextFieldAccessible
{
public:
    explicit LineEditAccessible(QWidget *widget)
        : TextFieldAccessible(widget)
    {
        addControllingSignal(QStringLiteral("textChanged(const QString&)"));
        addControllingSignal(QStringLiteral("returnPressed()"));
    }

    QLineEdit *field() const { return static_cast<QLineEdit *>(widget()); }
    bool shown() const { return field()->echoMode() == QLineEdit::Normal; }

    QAccessible::State state() const override
    {
        // A covered field may keep the focus, as the question field does
        // after a reading, yet it is not showing.
        QAccessible::State state = seen(QAccessibleWidget::state(), widget());
        state.editable = true;
        state.readOnly = field()->isReadOnly();
        state.passwordEdit = !shown();
        state.selectableText = true;
        return state;
    }
    QString text(QAccessible::Text t) const override
    {
        QString text;
        if (t == QAccessible::Value && field()->echoMode() != QLineEdit::NoEcho)
            text = shown() ? field()->text() : QString(field()->text().size(), QLatin1Char('*'));
        if (text.isEmpty())
            text = QAccessibleWidget::text(t);
        if (text.isEmpty() && t == QAccessible::Description)
            text = field()->placeholderText();
        return text;
    }
    void setText(QAccessible::Text t, const QString &text) override
    {
        if (t != QAccessible::Value) {
            QAccessibleWidget::setText(t, text);
            return;
        }
        QString checked = text;
        int at = 0;
        if (!field()->validator()
            || field()->validator()->validate(checked, at) == QValidator::Acceptable)
            field()->setText(checked);
    }

    // The text interface.
    void selection(int index, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (index == 0 && field()->hasSelectedText()) {
            *startOffset = field()->selectionStart();
            *endOffset = *startOffset + int(field()->selectedText().size());
        }
    }
    int selectionCount() const override { return field()->hasSelectedText() ? 1 : 0; }
    void removeSelection(int index) override
    {
        if (index == 0)
            field()->deselect();
    }
    void setSelection(int index, int startOffset, int endOffset) override
    {
        if (index == 0)
            field()->setSelection(startOffset, endOffset - startOffset);
    }
    int cursorPosition() const override { return field()->cursorPosition(); }
    void setCursorPosition(int position) override { field()->setCursorPosition(position); }
    QString text(int startOffset, int endOffset) const override
    {
        if (startOffset > endOffset || !shown())
            return QString();
        return field()->text().mid(startOffset, endOffset - startOffset);
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                             int *endOffset) const override
    {
        if (!shown())
            return none(startOffset, endOffset);
        return QAccessibleTextInterface::textBeforeOffset(at(offset), type, startOffset, endOffset);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                            int *endOffset) const override
    {
        if (!shown())
            return none(startOffset, endOffset);
        return QAccessibleTextInterface::textAfterOffset(at(offset), type, startOffset, endOffset);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                         int *endOffset) const override
    {
        if (!shown())
            return none(startOffset, endOffset);
        offset = at(offset);
        const int length = characterCount();
        if (offset == length && length > 0
            && (type == QAccessible::WordBoundary || type == QAccessible::SentenceBoundary))
            offset = length - 1;
        return QAccessibleTextInterface::textAtOffset(offset, type, startOffset, endOffset);
    }
    int characterCount() const override { return int(field()->text().size()); }
    QRect characterRect(int offset) const override
    {
        const QString character = text(offset, offset + 1);
        if (character.isEmpty())
            return QRect();
        // Measured from the caret, the one place whose rectangle a line edit
        // tells; its rectangle is centred on it.
        const QRect caret = field()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        const QFontMetrics metrics(field()->font());
        const QString all = field()->text();
        const int x = caret.x() + caret.width() / 2 + metrics.horizontalAdvance(all.left(offset))
            - metrics.horizontalAdvance(all.left(field()->cursorPosition()));
        return QRect(field()->mapToGlobal(QPoint(x, caret.y())),
                     QSize(metrics.horizontalAdvance(character), metrics.height()));
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        return field()->cursorPositionAt(field()->mapFromGlobal(point));
    }
    void scrollToSubstring(int startIndex, int endIndex) override
    {
        field()->setCursorPosition(endIndex);
        field()->setCursorPosition(startIndex);
    }

    // The editable text interface.
    void deleteText(int startOffset, int endOffset) override
    {
        field()->setText(field()->text().remove(startOffset, endOffset - startOffset));
    }
    void insertText(int offset, const QString &text) override
    {
        field()->setText(field()->text().insert(offset, text));
    }
    void replaceText(int startOffset, int endOffset, const QString &text) override
    {
        field()->setText(field()->text().replace(startOffset, endOffset - startOffset, text));
    }

private:
    // -1 stands for the end of the text and -2 for the caret.
    int at(int offset) const
    {
        return offset == -2 ? cursorPosition() : offset == -1 ? characterCount() : offset;
    }
};

// The message field as Qt's own interface has it, except that whatever a
// screen reader writes into it is cut to the field's limit before it arrives.
class TextEditAccessible final : public TextFieldAccessible
{
public:
    explicit TextEditAccessible(QWidget *widget)
        : TextFieldAccessible(widget)
    { }

    LimitedTextEdit *field() const { return static_cast<LimitedTextEdit *>(widget()); }

    QAccessible::State state() const override
    {
        QAccessible::State state = seen(QAccessibleWidget::state(), widget());
        state.selectableText = true;
        state.multiLine = true;
        state.readOnly = field()->isReadOnly();
        state.editable = !field()->isReadOnly();
        return state;
    }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Value ? field()->toPlainText() : QAccessibleWidget::text(t);
    }
    void setText(QAccessible::Text t, const QString &text) override
    {
        if (t != QAccessible::Value)
            QAccessibleWidget::setText(t, text);
        else if (!field()->isReadOnly())
            field()->setPlainText(field()->fitting(text, 0, characterCount()));
    }

    // The text interface.
    void selection(int index, int *startOffset, int *endOffset) const override
    {
        const QTextCursor cursor = field()->textCursor();
        *startOffset = *endOffset = 0;
        if (index == 0 && cursor.hasSelection()) {
            *startOffset = cursor.selectionStart();
            *endOffset = cursor.selectionEnd();
        }
    }
    int selectionCount() const override { return field()->textCursor().hasSelection() ? 1 : 0; }
    void removeSelection(int index) override
    {
        if (index == 0)
            setSelection(0, cursorPosition(), cursorPosition());
    }
    void setSelection(int index, int startOffset, int endOffset) override
    {
        if (index == 0)
            field()->setTextCursor(range(startOffset, endOffset));
    }
    int cursorPosition() const override { return field()->textCursor().position(); }
    void setCursorPosition(int position) override { setSelection(0, position, position); }
    QString text(int startOffset, int endOffset) const override
    {
        return range(startOffset, endOffset)
            .selectedText()
            .replace(QChar(QChar::ParagraphSeparator), QLatin1Char('\n'));
    }
    // Qt's own stepping, with nothing outside the text, before the first item
    // or after the last.
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                             int *endOffset) const override
    {
        const int start = item(offset, type).first;
        return start > 0 ? textAtOffset(start - 1, type, startOffset, endOffset)
                         : none(startOffset, endOffset);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                            int *endOffset) const override
    {
        const int end = item(offset, type).second;
        return end >= 0 && end < characterCount() ? textAtOffset(end, type, startOffset, endOffset)
                                                  : none(startOffset, endOffset);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                         int *endOffset) const override
    {
        const auto [start, end] = item(offset, type);
        if (start < 0)
            return none(startOffset, endOffset);
        *startOffset = start;
        *endOffset = end;
        return text(start, end);
    }
    int characterCount() const override { return field()->document()->characterCount() - 1; }
    QRect characterRect(int offset) const override
    {
        const QString character = text(offset, offset + 1);
        if (character.isEmpty())
            return QRect();
        const QRect place = field()->cursorRect(caret(offset));
        return QRect(
            field()->viewport()->mapToGlobal(place.topLeft()),
            QSize(QFontMetrics(field()->font()).horizontalAdvance(character), place.height()));
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        return field()->cursorForPosition(field()->viewport()->mapFromGlobal(point)).position();
    }
    void scrollToSubstring(int, int) override { }

    // The editable text interface: what is written is cut to the limit first.
    void deleteText(int startOffset, int endOffset) override
    {
        range(startOffset, endOffset).removeSelectedText();
    }
    void insertText(int offset, const QString &text) override
    {
        const int start = at(offset);
        caret(start).insertText(field()->fitting(text, start, start));
    }
    void replaceText(int startOffset, int endOffset, const QString &text) override
    {
        QTextCursor cursor = range(startOffset, endOffset);
        const QString kept = field()->fitting(text, cursor.anchor(), cursor.position());
        cursor.removeSelectedText();
        cursor.insertText(kept);
    }

private:
    // -1 stands for the end of the text and -2 for the caret; any other
    // offset outside the text for the nearer end.
    int at(int offset) const
    {
        if (offset == -2)
            return cursorPosition();
        return offset == -1 ? characterCount() : qBound(0, offset, characterCount());
    }
    QTextCursor caret(int offset) const
    {
        QTextCursor cursor(field()->document());
        cursor.setPosition(at(offset));
        return cursor;
    }
    QTextCursor range(int startOffset, int endOffset) const
    {
        QTextCursor cursor = caret(startOffset);
        cursor.setPosition(at(endOffset), QTextCursor::KeepAnchor);
        return cursor;
    }
    // The item at `offset`, or -1 and -1 for an offset outside the text.
    std::pair<int, int> item(int offset, QAccessible::TextBoundaryType type) const
    {
        if (offset < -2 || offset > characterCount())
            return {-1, -1};
        return QAccessible::qAccessibleTextBoundaryHelper(caret(offset), type);
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
    if (className == QLatin1String("zel::LimitedTextEdit"))
        return new TextEditAccessible(widget);
    if (className == QLatin1String("zel::LineField"))
        return new LineEditAccessible(widget);
    if (className == QLatin1String("zel::Panel"))
        return new PanelAccessible(widget);
    if (className == QLatin1String("zel::Area"))
        return new QAccessibleWidget(widget, QAccessible::Pane);
    if (className == QLatin1String("zel::Decoration"))
        return new DecorationAccessible(widget);
    if (className == QLatin1String("zel::DialogWindow"))
        return new QAccessibleWidget(widget, QAccessible::Dialog);
    return nullptr;
}

} // namespace

void install()
{
    QAccessible::installFactory(factory);
}

QStackedLayout *stackPages(QWidget *parent, const QRect &place,
                           std::initializer_list<QWidget *> pages)
{
    auto *stack = new PageStack(parent);
    stack->setStackingMode(QStackedLayout::StackAll);
    stack->setContentsMargins(place.left(), place.top(), parent->width() - 1 - place.right(),
                              parent->height() - 1 - place.bottom());
    for (QWidget *page : pages)
        stack->addWidget(page);
    QObject::connect(stack, &QStackedLayout::currentChanged, parent, [stack] {
        for (int i = 0; i < stack->count(); ++i) {
            QAccessibleEvent change(stack->widget(i),
                                    stack->currentIndex() == i ? QAccessible::ObjectShow
                                                               : QAccessible::ObjectHide);
            QAccessible::updateAccessibility(&change);
        }
    });
    return stack;
}

Announcer::Announcer(QWidget *owner)
    : QObject(owner)
{ }

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
    notifySystem(owner(), text.isEmpty() ? name : name + QStringLiteral("\n") + text);
}

} // namespace zel::accessibility
