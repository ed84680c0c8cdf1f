#include "ui/places_along.h"

#include <QTextLayout>

namespace zel::accessibility {

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
        for (int offset = end; offset >= line.textStart(); --offset) {
            places[offset] = offset == end || layout.isValidCursorPosition(offset)
                ? start + line.cursorToX(offset)
                : places[offset + 1];
        }
        start += leftward ? 0 : line.naturalTextWidth();
    }
    return places;
}

} // namespace zel::accessibility
