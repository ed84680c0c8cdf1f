#include "accessibility/places_along.h"

#include <QGlyphRun>
#include <QTextLayout>

#include <algorithm>

namespace zel::accessibility {

namespace {

// Whether any of `text` runs right to left.
bool runsLeftward(QStringView text)
{
    for (char32_t c : text.toUcs4()) {
        const QChar::Direction direction = QChar::direction(c);
        if (direction == QChar::DirR || direction == QChar::DirAL || direction == QChar::DirRLE
            || direction == QChar::DirRLO || direction == QChar::DirRLI)
            return true;
    }
    return false;
}

} // namespace

QList<Place> placesAlong(QString text, const QFont &font)
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
    // Where all of it runs left to right, the caret's places around a
    // character are its edges, found at half the cost of its glyphs'.
    const bool bothWays = runsLeftward(text);
    QList<Place> places(text.size() + 1);
    qreal start = 0;
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        const int end = line.textStart() + line.textLength();
        start -= leftward ? line.naturalTextWidth() : 0;
        for (int offset = end, next = end; offset >= line.textStart(); --offset) {
            if (offset > line.textStart() && offset < end && !layout.isValidCursorPosition(offset))
                continue; // inside a character, as between the halves of an emoji
            const qreal caret = start + line.cursorToX(offset);
            places[offset] = {caret, caret, caret};
            if (offset < end) {
                const auto [left, right] = bothWays
                    ? edgesOf(layout, line, offset)
                    : std::pair(caret - start, places[next].caret - start);
                // Every offset in the character has all of it.
                std::fill(places.begin() + offset, places.begin() + next,
                          Place {caret, start + left, start + right});
            }
            next = offset;
        }
        start += leftward ? 0 : line.naturalTextWidth();
    }
    return places;
}

std::pair<qreal, qreal> edgesOf(const QTextLayout &layout, const QTextLine &line, int offset)
{
    int next = offset + 1;
    while (next < line.textStart() + line.textLength() && !layout.isValidCursorPosition(next))
        ++next;
    QRectF drawn;
    for (const QGlyphRun &run : line.glyphRuns(offset, next - offset))
        drawn |= run.boundingRect();
    if (drawn.isNull())
        return {line.cursorToX(offset), line.cursorToX(offset)};
    return {drawn.left(), drawn.right()};
}

} // namespace zel::accessibility
