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
#include <QTextBoundaryFinder>
#include <QTextDocument>
#include <QTextLayout>
#include <QValidator>
#include <QWidget>
#include <QWindow>

#include <tuple>

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

// A start or an end of an item (character, word, sentence) where `finder` stands.
bool isEdge(const QTextBoundaryFinder &finder)
{
    return finder.boundaryReasons()
        & (QTextBoundaryFinder::StartOfItem | QTextBoundaryFinder::EndOfItem);
}

// The nearest edge at or before `offset`, else the start of the text.
int edgeAtOrBefore(QTextBoundaryFinder &finder, int offset)
{
    finder.setPosition(offset);
    while (finder.position() > 0 && !isEdge(finder))
        finder.toPreviousBoundary();
    return int(finder.position());
}

// The nearest edge after `offset`, else the end of the text.
int edgeAfter(QTextBoundaryFinder &finder, int offset)
{
    finder.setPosition(offset);
    qsizetype at = finder.toNextBoundary();
    while (at >= 0 && !isEdge(finder))
        at = finder.toNextBoundary();
    return int(at < 0 ? finder.string().size() : at);
}

// The item of `type` in `text` before (step -1), at (0) or after (1) `offset`,
// as Qt's own search finds it, or -1 and -1 where there is none. Qt's own
// steps out of the text and never returns when it starts at an edge that
// begins nothing, as a leading space or "¿" does, or at the edge that ends
// the text (Qt 6.4 to 6.8 at least); this one never leaves the text.
std::pair<int, int> itemIn(const QString &text, int offset, QTextBoundaryFinder::BoundaryType type,
                           int step)
{
    const int length = int(text.size());
    QTextBoundaryFinder finder(type, text);
    if (step < 0) {
        const int end = offset > 0 && offset <= length ? edgeAtOrBefore(finder, offset) : 0;
        return end > 0 ? std::pair(edgeAtOrBefore(finder, end - 1), end) : std::pair(-1, -1);
    }
    if (offset < 0 || offset >= length)
        return {-1, -1};
    const int start = step > 0 ? edgeAfter(finder, offset) : edgeAtOrBefore(finder, offset);
    return start < length ? std::pair(start, edgeAfter(finder, start)) : std::pair(-1, -1);
}

// Where each offset of `text` lies along a single-line field drawn in `font`.
// A layout adds up every glyph before the offset it is asked for, so the text
// is laid out in stretches, one after the other in the text's direction: the
// whole costs in proportion to its length, and only a text longer than a
// stretch that mixes both directions comes out a little off.
QList<qreal> placesAlong(QString text, const QFont &font)
{
    for (QChar &c : text) { // as the field draws them
        if ((c.unicode() < 0x20 && c != u'\t') || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator || c == QChar::ObjectReplacementCharacter)
            c = u' ';
    }
    // Told, not found at every step: finding it reads the whole text when
    // nothing in it has a direction, as with emoji.
    const bool leftward = text.isRightToLeft();
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAnywhere);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    option.setTextDirection(leftward ? Qt::RightToLeft : Qt::LeftToRight);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
        line.setNumColumns(1024);
    layout.endLayout();
    QList<qreal> places(text.size() + 1);
    qreal start = 0;
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        const int end = line.textStart() + line.textLength();
        start -= leftward ? line.naturalTextWidth() : 0;
        // Inside a character, as between the halves of an emoji, is its end.
        for (int at = end; at >= line.textStart(); --at) {
            places[at] = at == end || layout.isValidCursorPosition(at) ? start + line.cursorToX(at)
                                                                       : places[at + 1];
        }
        start += leftward ? 0 : line.naturalTextWidth();
    }
    return places;
}

// The start of `text` that takes at most `room` units, in whole characters.
QString wholeStart(const QString &text, int room)
{
    room = qMax(room, 0);
    if (text.size() <= room)
        return text;
    return text.left(room > 0 && text.at(room - 1).isHighSurrogate() ? room - 1 : room);
}

// What a screen reader reads and writes in a text field. Qt's own
// interfaces for fields are not public: these two follow them. Whatever the
// offsets a screen reader gives, every call answers at once.
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
    // Where `offset` lies in the text: -1 stands for its end and -2 for the
    // caret. Any other offset outside the text is nowhere (-1).
    int place(int offset) const
    {
        if (offset == -2)
            return cursorPosition();
        if (offset == -1)
            return characterCount();
        return offset >= 0 && offset <= characterCount() ? offset : -1;
    }
    // As place(), but an offset outside the text stands for its nearer end.
    int nearest(int offset) const
    {
        const int at = place(offset);
        return at >= 0 ? at : offset < 0 ? 0 : characterCount();
    }
    // The range between two places in order, or -1 and -1 if either is
    // nowhere: an edit there changes nothing.
    std::pair<int, int> span(int startOffset, int endOffset) const
    {
        const int start = place(startOffset);
        const int end = place(endOffset);
        if (start < 0 || end < 0)
            return {-1, -1};
        return {qMin(start, end), qMax(start, end)};
    }
};

// A single-line field as Qt's own interface has it, except that a word or a
// sentence asked for at the end of the text is the one that ends there, and
// that what a screen reader writes is cut to the field's maximum length
// before the new text is made.
class LineEditAccessible final : public TextFieldAccessible
{
public:
    explicit LineEditAccessible(QWidget *widget)
        : TextFieldAccessible(widget)
    {
        addControllingSignal(QStringLiteral("textChanged(const QString&)"));
        addControllingSignal(QStringLiteral("returnPressed()"));
    }

    LineField *field() const { return static_cast<LineField *>(widget()); }
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
        QString checked = wholeStart(text, field()->maxLength());
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
        const int start = nearest(startOffset);
        if (index == 0)
            field()->setSelection(start, nearest(endOffset) - start);
    }
    int cursorPosition() const override { return field()->cursorPosition(); }
    void setCursorPosition(int position) override { field()->setCursorPosition(nearest(position)); }
    QString text(int startOffset, int endOffset) const override
    {
        const int start = nearest(startOffset);
        const int end = nearest(endOffset);
        if (start > end || !shown())
            return QString();
        return field()->text().mid(start, end - start);
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                             int *endOffset) const override
    {
        return around(offset, type, -1, startOffset, endOffset);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                            int *endOffset) const override
    {
        return around(offset, type, 1, startOffset, endOffset);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                         int *endOffset) const override
    {
        return around(offset, type, 0, startOffset, endOffset);
    }
    int characterCount() const override { return int(field()->text().size()); }
    QRect characterRect(int offset) const override
    {
        const int at = place(offset);
        if (!shown() || at < 0 || at >= characterCount())
            return QRect();
        const QString all = field()->text();
        const QFont font = field()->font();
        if (all.constData() != measures.text.constData() || all.size() != measures.text.size()
            || font != measures.font)
            measures = {all, font, placesAlong(all, font), QRect(), {-1, -1, QSize()}};
        const std::tuple caretAt(cursorPosition(), field()->drawings(), field()->size());
        if (caretAt != measures.caretAt) {
            measures.caret = field()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
            measures.caretAt = caretAt;
        }
        // Measured from the caret, the one place whose rectangle a line edit
        // tells; its rectangle is centred on it.
        const QRect &caret = measures.caret;
        const QList<qreal> &places = measures.places;
        const qreal left = qMin(places[at], places[at + 1]);
        const int x = caret.x() + caret.width() / 2 + qRound(left - places[cursorPosition()]);
        return QRect(
            field()->mapToGlobal(QPoint(x, caret.y())),
            QSize(qRound(qMax(places[at], places[at + 1]) - left), QFontMetrics(font).height()));
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        return field()->cursorPositionAt(field()->mapFromGlobal(point));
    }
    void scrollToSubstring(int startIndex, int endIndex) override
    {
        field()->setCursorPosition(nearest(endIndex));
        field()->setCursorPosition(nearest(startIndex));
    }

    // The editable text interface.
    void deleteText(int startOffset, int endOffset) override
    {
        replaceText(startOffset, endOffset, QString());
    }
    void insertText(int offset, const QString &text) override { replaceText(offset, offset, text); }
    void replaceText(int startOffset, int endOffset, const QString &text) override
    {
        const auto [start, end] = span(startOffset, endOffset);
        if (start < 0)
            return;
        const QString all = field()->text();
        const int room = field()->maxLength() - int(all.size()) + end - start;
        field()->setText(all.left(start) + wholeStart(text, room) + all.mid(end));
    }

private:
    // Lines and the whole text as Qt's own search finds them; characters,
    // words and sentences without stepping out of the text.
    QString around(int offset, QAccessible::TextBoundaryType type, int step, int *startOffset,
                   int *endOffset) const
    {
        int at = place(offset);
        if (!shown() || at < 0)
            return none(startOffset, endOffset);
        if (type > QAccessible::SentenceBoundary) {
            if (step == 0)
                return QAccessibleTextInterface::textAtOffset(at, type, startOffset, endOffset);
            return step < 0
                ? QAccessibleTextInterface::textBeforeOffset(at, type, startOffset, endOffset)
                : QAccessibleTextInterface::textAfterOffset(at, type, startOffset, endOffset);
        }
        const QString all = field()->text();
        if (step == 0 && at == all.size() && type != QAccessible::CharBoundary)
            at = qMax(at - 1, 0);
        const QTextBoundaryFinder::BoundaryType kinds[]
            = {QTextBoundaryFinder::Grapheme, QTextBoundaryFinder::Word,
               QTextBoundaryFinder::Sentence};
        const auto [start, end] = itemIn(all, at, kinds[type], step);
        if (start < 0)
            return none(startOffset, endOffset);
        *startOffset = start;
        *endOffset = end;
        return all.mid(start, end - start);
    }

    // Measures kept while they hold: a screen reader asks for each character
    // of a range in turn, and each measure costs as much as the text is long.
    struct Measures
    {
        QString text; // shares the field's own until that changes
        QFont font;
        QList<qreal> places;
        QRect caret;
        std::tuple<int, int, QSize> caretAt; // caret, drawings, size
    };
    mutable Measures measures;
};

// The message field as Qt's own interface has it, except that whatever a
// screen reader writes into it is cut to the field's limit before it arrives,
// and nothing is written at an offset outside the text.
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
        const int at = place(offset);
        if (at < 0 || at >= characterCount())
            return QRect();
        const QRect spot = field()->cursorRect(caret(at));
        return QRect(field()->viewport()->mapToGlobal(spot.topLeft()),
                     QSize(QFontMetrics(field()->font()).horizontalAdvance(text(at, at + 1)),
                           spot.height()));
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        return field()->cursorForPosition(field()->viewport()->mapFromGlobal(point)).position();
    }
    void scrollToSubstring(int, int) override { }

    // The editable text interface: what is written is cut to the limit first.
    void deleteText(int startOffset, int endOffset) override
    {
        if (const auto [start, end] = span(startOffset, endOffset); start >= 0)
            range(start, end).removeSelectedText();
    }
    void insertText(int offset, const QString &text) override
    {
        if (const int start = place(offset); start >= 0)
            caret(start).insertText(field()->fitting(text, start, start));
    }
    void replaceText(int startOffset, int endOffset, const QString &text) override
    {
        const auto [start, end] = span(startOffset, endOffset);
        if (start < 0)
            return;
        QTextCursor cursor = range(start, end);
        const QString kept = field()->fitting(text, start, end);
        cursor.removeSelectedText();
        cursor.insertText(kept);
    }

private:
    QTextCursor caret(int offset) const
    {
        QTextCursor cursor(field()->document());
        cursor.setPosition(nearest(offset));
        return cursor;
    }
    QTextCursor range(int startOffset, int endOffset) const
    {
        QTextCursor cursor = caret(startOffset);
        cursor.setPosition(nearest(endOffset), QTextCursor::KeepAnchor);
        return cursor;
    }
    // The item at `offset`, or -1 and -1 for an offset outside the text.
    std::pair<int, int> item(int offset, QAccessible::TextBoundaryType type) const
    {
        if (place(offset) < 0)
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
