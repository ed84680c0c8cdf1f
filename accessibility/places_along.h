#pragma once

#include <QList>
#include <QString>

#include <utility>

class QFont;
class QTextLayout;
class QTextLine;

namespace zel::accessibility {

// Where an offset lies along a single-line field: the caret's place there,
// and the left and right edges of the character that holds it.
struct Place
{
    qreal caret = 0;
    qreal left = 0;
    qreal right = 0;
};

// Where each offset of `text`, its end included, lies along a single-line
// field drawn in `font`.
// A layout adds up every glyph before the offset it is asked for, so the text
// is laid out in stretches, one after the other in the text's direction: the
// whole costs in proportion to its length, and only a text longer than a
// stretch that mixes both directions comes out a little off.
QList<Place> placesAlong(QString text, const QFont &font);

// The left and right edges along `line` of the character of `layout` that
// starts at `offset`, as its glyphs are drawn. Not the caret's places before
// and after it: where the text changes direction, those are the edges of
// other characters.
std::pair<qreal, qreal> edgesOf(const QTextLayout &layout, const QTextLine &line, int offset);

} // namespace zel::accessibility
