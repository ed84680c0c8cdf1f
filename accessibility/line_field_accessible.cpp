#include "accessibility/line_field_accessible.h"

#include "ui/plain_widgets.h"

#include <QFontMetrics>
#include <QValidator>

namespace zel::accessibility {

namespace {

// The start of `text` that takes at most `room` units, in whole characters.
QString wholeStart(const QString &text, int room)
{
    room = qMax(room, 0);
    if (text.size() <= room)
        return text;
    return text.left(room > 0 && text.at(room - 1).isHighSurrogate() ? room - 1 : room);
}

} // namespace

LineFieldAccessible::LineFieldAccessible(LineField *field)
    : TextFieldAccessible(field)
{
    addControllingSignal(QStringLiteral("textChanged(const QString&)"));
    addControllingSignal(QStringLiteral("returnPressed()"));
}

LineField *LineFieldAccessible::field() const
{
    return static_cast<LineField *>(widget());
}

bool LineFieldAccessible::showsText() const
{
    return field()->echoMode() == QLineEdit::Normal;
}

QAccessible::State LineFieldAccessible::state() const
{
    QAccessible::State state = TextFieldAccessible::state();
    state.editable = true;
    state.readOnly = field()->isReadOnly();
    state.passwordEdit = !showsText();
    state.selectableText = true;
    return state;
}

QString LineFieldAccessible::text(QAccessible::Text t) const
{
    QString text;
    if (t == QAccessible::Value && field()->echoMode() != QLineEdit::NoEcho)
        text = showsText() ? field()->text() : QString(field()->text().size(), QLatin1Char('*'));
    if (text.isEmpty())
        text = WidgetAccessible::text(t);
    if (text.isEmpty() && t == QAccessible::Description)
        text = field()->placeholderText();
    return text;
}

void LineFieldAccessible::setText(QAccessible::Text t, const QString &text)
{
    if (t != QAccessible::Value) {
        WidgetAccessible::setText(t, text);
        return;
    }
    QString checked = wholeStart(text, field()->maxLength());
    int cursor = 0;
    if (!field()->validator()
        || field()->validator()->validate(checked, cursor) == QValidator::Acceptable)
        field()->setText(checked);
}

void LineFieldAccessible::selection(int index, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
    if (index == 0 && field()->hasSelectedText()) {
        *startOffset = field()->selectionStart();
        *endOffset = *startOffset + int(field()->selectedText().size());
    }
}

int LineFieldAccessible::selectionCount() const
{
    return field()->hasSelectedText() ? 1 : 0;
}

void LineFieldAccessible::removeSelection(int index)
{
    if (index == 0)
        field()->deselect();
}

void LineFieldAccessible::setSelection(int index, int startOffset, int endOffset)
{
    const int start = nearestOffsetInText(startOffset);
    if (index == 0)
        field()->setSelection(start, nearestOffsetInText(endOffset) - start);
}

int LineFieldAccessible::cursorPosition() const
{
    return field()->cursorPosition();
}

void LineFieldAccessible::setCursorPosition(int position)
{
    field()->setCursorPosition(nearestOffsetInText(position));
}

QString LineFieldAccessible::text(int startOffset, int endOffset) const
{
    const int start = nearestOffsetInText(startOffset);
    const int end = nearestOffsetInText(endOffset);
    if (start > end || !showsText())
        return QString();
    return field()->text().mid(start, end - start);
}

int LineFieldAccessible::characterCount() const
{
    return int(field()->text().size());
}

QRect LineFieldAccessible::characterRect(int offset) const
{
    const int character = offsetInText(offset);
    if (!showsText() || character < 0 || character >= characterCount())
        return QRect();
    return boxOf(character).translated(field()->mapToGlobal(QPoint()));
}

QRect LineFieldAccessible::boxOf(int character) const
{
    const QString fieldText = field()->text();
    const QFont font = field()->font();
    if (fieldText.constData() != measures.text.constData()
        || fieldText.size() != measures.text.size() || font != measures.font)
        measures = {fieldText, font, placesAlong(fieldText, font), QRect(), {-1, -1, QSize()}};
    const std::tuple caretNow(cursorPosition(), field()->paintCount(), field()->size());
    if (caretNow != measures.caretMeasuredFor) {
        measures.caret = field()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        measures.caretMeasuredFor = caretNow;
    }
    // Measured from the caret, the one place whose rectangle a line edit
    // tells; its rectangle is centred on it.
    const QRect &caret = measures.caret;
    const Place &place = measures.places[character];
    const int x = caret.x() + caret.width() / 2
        + qRound(place.left - measures.places[cursorPosition()].caret);
    return QRect(x, caret.y(), qRound(place.right - place.left), QFontMetrics(font).height());
}

// The character whose box holds the point: the caret place nearest it is only
// an edge of one, and where the text changes direction not even that.
int LineFieldAccessible::offsetAtPoint(const QPoint &point) const
{
    const QPoint inField = field()->mapFromGlobal(point);
    for (int at = 0; showsText() && at < characterCount(); ++at) {
        if (boxOf(at).contains(inField))
            return at;
    }
    return field()->cursorPositionAt(inField);
}

void LineFieldAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    field()->setCursorPosition(nearestOffsetInText(endIndex));
    field()->setCursorPosition(nearestOffsetInText(startIndex));
}

void LineFieldAccessible::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, QString());
}

void LineFieldAccessible::replaceText(int startOffset, int endOffset, const QString &text)
{
    const auto [start, end] = rangeInText(startOffset, endOffset);
    if (start < 0)
        return;
    const QString fieldText = field()->text();
    const int room = field()->maxLength() - int(fieldText.size()) + end - start;
    field()->setText(fieldText.left(start) + wholeStart(text, room) + fieldText.mid(end));
}

QString LineFieldAccessible::textAround(int offset, QAccessible::TextBoundaryType type, int step,
                                        int *startOffset, int *endOffset) const
{
    int from = offsetInText(offset);
    if (!showsText() || from < 0)
        return noItem(startOffset, endOffset);
    if (type > QAccessible::SentenceBoundary) {
        if (step == 0)
            return QAccessibleTextInterface::textAtOffset(from, type, startOffset, endOffset);
        return step < 0
            ? QAccessibleTextInterface::textBeforeOffset(from, type, startOffset, endOffset)
            : QAccessibleTextInterface::textAfterOffset(from, type, startOffset, endOffset);
    }
    return itemAround(field()->text(), from, type, step, startOffset, endOffset);
}

} // namespace zel::accessibility
