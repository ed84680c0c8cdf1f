#include "accessibility/text_field_accessible.h"

namespace zel::accessibility {

namespace {

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
    qsizetype boundary = finder.toNextBoundary();
    while (boundary >= 0 && !isEdge(finder))
        boundary = finder.toNextBoundary();
    return int(boundary < 0 ? finder.string().size() : boundary);
}

} // namespace

TextFieldAccessible::TextFieldAccessible(QWidget *widget)
    : WidgetAccessible(widget, QAccessible::EditableText)
{ }

void *TextFieldAccessible::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    if (t == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface *>(this);
    return WidgetAccessible::interface_cast(t);
}

void TextFieldAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

QString TextFieldAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = offset; // one look throughout
    return QString();
}

QString TextFieldAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType type,
                                              int *startOffset, int *endOffset) const
{
    return textAround(offset, type, -1, startOffset, endOffset);
}

QString TextFieldAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType type,
                                             int *startOffset, int *endOffset) const
{
    return textAround(offset, type, 1, startOffset, endOffset);
}

QString TextFieldAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType type,
                                          int *startOffset, int *endOffset) const
{
    return textAround(offset, type, 0, startOffset, endOffset);
}

// Written over an empty range: cut to fit as anything written is.
void TextFieldAccessible::insertText(int offset, const QString &text)
{
    replaceText(offset, offset, text);
}

QString TextFieldAccessible::noItem(int *startOffset, int *endOffset)
{
    *startOffset = *endOffset = -1;
    return QString();
}

QString TextFieldAccessible::itemAround(const QString &text, int offset,
                                        QAccessible::TextBoundaryType type, int step,
                                        int *startOffset, int *endOffset)
{
    if (step == 0 && offset == text.size() && type != QAccessible::CharBoundary)
        offset = qMax(offset - 1, 0);
    const QTextBoundaryFinder::BoundaryType finderTypes[]
        = {QTextBoundaryFinder::Grapheme, QTextBoundaryFinder::Word, QTextBoundaryFinder::Sentence};
    const auto [start, end] = itemIn(text, offset, finderTypes[type], step);
    if (start < 0)
        return noItem(startOffset, endOffset);
    *startOffset = start;
    *endOffset = end;
    return text.mid(start, end - start);
}

std::pair<int, int> TextFieldAccessible::itemIn(const QString &text, int offset,
                                                QTextBoundaryFinder::BoundaryType type, int step)
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

int TextFieldAccessible::offsetInText(int offset) const
{
    if (offset == -2)
        return cursorPosition();
    if (offset == -1)
        return characterCount();
    return offset >= 0 && offset <= characterCount() ? offset : -1;
}

int TextFieldAccessible::nearestOffsetInText(int offset) const
{
    const int inText = offsetInText(offset);
    return inText >= 0 ? inText : offset < 0 ? 0 : characterCount();
}

std::pair<int, int> TextFieldAccessible::rangeInText(int startOffset, int endOffset) const
{
    const int start = offsetInText(startOffset);
    const int end = offsetInText(endOffset);
    if (start < 0 || end < 0)
        return {-1, -1};
    // An offset inside a character stands for the edge before it, and a
    // range reaches the edge after: an edit never splits a character.
    const QAccessibleTextInterface *asText = this; // the text, not the name
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, asText->text(0, characterCount()));
    const int from = edgeAtOrBefore(finder, qMin(start, end));
    const int to = qMax(start, end);
    if (to == qMin(start, end))
        return {from, from};
    return {from, edgeAtOrBefore(finder, to) == to ? to : edgeAfter(finder, to)};
}

} // namespace zel::accessibility
