#include "accessibility/limited_text_edit_accessible.h"

#include "accessibility/places_along.h"
#include "ui/limited_text_edit.h"

#include <QTextBlock>
#include <QTextLayout>

namespace zel::accessibility {

LimitedTextEditAccessible::LimitedTextEditAccessible(LimitedTextEdit *field)
    : TextFieldAccessible(field)
{ }

LimitedTextEdit *LimitedTextEditAccessible::field() const
{
    return static_cast<LimitedTextEdit *>(widget());
}

QAccessible::State LimitedTextEditAccessible::state() const
{
    QAccessible::State state = TextFieldAccessible::state();
    state.selectableText = true;
    state.multiLine = true;
    state.readOnly = field()->isReadOnly();
    state.editable = !field()->isReadOnly();
    return state;
}

QString LimitedTextEditAccessible::text(QAccessible::Text t) const
{
    return t == QAccessible::Value ? field()->toPlainText() : WidgetAccessible::text(t);
}

void LimitedTextEditAccessible::setText(QAccessible::Text t, const QString &text)
{
    if (t != QAccessible::Value)
        WidgetAccessible::setText(t, text);
    else if (!field()->isReadOnly())
        field()->setPlainText(field()->fitting(text, 0, characterCount()));
}

void LimitedTextEditAccessible::selection(int index, int *startOffset, int *endOffset) const
{
    const QTextCursor cursor = field()->textCursor();
    *startOffset = *endOffset = 0;
    if (index == 0 && cursor.hasSelection()) {
        *startOffset = cursor.selectionStart();
        *endOffset = cursor.selectionEnd();
    }
}

int LimitedTextEditAccessible::selectionCount() const
{
    return field()->textCursor().hasSelection() ? 1 : 0;
}

void LimitedTextEditAccessible::removeSelection(int index)
{
    if (index == 0)
        setSelection(0, cursorPosition(), cursorPosition());
}

void LimitedTextEditAccessible::setSelection(int index, int startOffset, int endOffset)
{
    if (index == 0)
        field()->setTextCursor(cursorOver(startOffset, endOffset));
}

int LimitedTextEditAccessible::cursorPosition() const
{
    return field()->textCursor().position();
}

void LimitedTextEditAccessible::setCursorPosition(int position)
{
    setSelection(0, position, position);
}

QString LimitedTextEditAccessible::text(int startOffset, int endOffset) const
{
    return cursorOver(startOffset, endOffset)
        .selectedText()
        .replace(QChar(QChar::ParagraphSeparator), QLatin1Char('\n'));
}

// Characters, words and sentences as the single-line field finds them; lines
// and paragraphs by Qt's own stepping, with nothing outside the text, before
// the first item or after the last.
QString LimitedTextEditAccessible::textAround(int offset, QAccessible::TextBoundaryType type,
                                              int step, int *startOffset, int *endOffset) const
{
    if (type <= QAccessible::SentenceBoundary) {
        const int from = offsetInText(offset);
        return from < 0
            ? noItem(startOffset, endOffset)
            : itemAround(text(0, characterCount()), from, type, step, startOffset, endOffset);
    }
    std::pair<int, int> item = itemAt(offset, type);
    if (step < 0)
        item = item.first > 0 ? itemAt(item.first - 1, type) : std::pair(-1, -1);
    else if (step > 0)
        item = item.second >= 0 && item.second < characterCount() ? itemAt(item.second, type)
                                                                  : std::pair(-1, -1);
    const auto [start, end] = item;
    if (start < 0)
        return noItem(startOffset, endOffset);
    *startOffset = start;
    *endOffset = end;
    return text(start, end);
}

int LimitedTextEditAccessible::characterCount() const
{
    return field()->document()->characterCount() - 1;
}

QRect LimitedTextEditAccessible::characterRect(int offset) const
{
    const int character = offsetInText(offset);
    if (character < 0 || character >= characterCount())
        return QRect();
    // Every offset inside a character, as the second half of an emoji, stands
    // for all of it.
    QTextCursor cursor = cursorAt(character);
    const QTextLayout *layout = cursor.block().layout();
    int at = cursor.positionInBlock();
    while (at > 0 && !layout->isValidCursorPosition(at))
        --at;
    cursor.setPosition(cursor.block().position() + at);
    const QRect caretRect = field()->cursorRect(cursor);
    const QTextLine line = layout->lineForTextPosition(at);
    const auto [left, right] = edgesOf(*layout, line, at);
    return QRect(field()->viewport()->mapToGlobal(caretRect.topLeft()
                                                  + QPoint(qRound(left - line.cursorToX(at)), 0)),
                 QSize(qRound(right - left), caretRect.height()));
}

// The character whose box holds the point, on the line nearest it: the caret
// place nearest the point is only an edge of one, and where the text changes
// direction not even that.
int LimitedTextEditAccessible::offsetAtPoint(const QPoint &point) const
{
    const QTextCursor nearest
        = field()->cursorForPosition(field()->viewport()->mapFromGlobal(point));
    const QTextLine line = nearest.block().layout()->lineForTextPosition(nearest.positionInBlock());
    if (!line.isValid()) // not laid out, so not drawn
        return nearest.position();
    const int start = nearest.block().position() + line.textStart();
    for (int at = start; at < start + line.textLength(); ++at) {
        if (characterRect(at).contains(point))
            return at;
    }
    return nearest.position();
}

void LimitedTextEditAccessible::deleteText(int startOffset, int endOffset)
{
    if (const auto [start, end] = rangeInText(startOffset, endOffset); start >= 0)
        cursorOver(start, end).removeSelectedText();
}

void LimitedTextEditAccessible::replaceText(int startOffset, int endOffset, const QString &text)
{
    const auto [start, end] = rangeInText(startOffset, endOffset);
    if (start < 0)
        return;
    QTextCursor cursor = cursorOver(start, end);
    const QString kept = field()->fitting(text, start, end);
    cursor.removeSelectedText();
    cursor.insertText(kept);
}

QTextCursor LimitedTextEditAccessible::cursorAt(int offset) const
{
    QTextCursor cursor(field()->document());
    cursor.setPosition(nearestOffsetInText(offset));
    return cursor;
}

QTextCursor LimitedTextEditAccessible::cursorOver(int startOffset, int endOffset) const
{
    QTextCursor cursor = cursorAt(startOffset);
    cursor.setPosition(nearestOffsetInText(endOffset), QTextCursor::KeepAnchor);
    return cursor;
}

std::pair<int, int> LimitedTextEditAccessible::itemAt(int offset,
                                                      QAccessible::TextBoundaryType type) const
{
    if (offsetInText(offset) < 0)
        return {-1, -1};
    auto [start, end] = QAccessible::qAccessibleTextBoundaryHelper(cursorAt(offset), type);
    // A line holds the break that ends it, so the next one starts where it ends.
    if (end < characterCount()
        && field()->document()->characterAt(end) == QChar::ParagraphSeparator)
        ++end;
    return {start, end};
}

} // namespace zel::accessibility
