#pragma once

#include <QList>
#include <QString>

class QFont;

namespace zel::accessibility {

// Where each offset of `text`, its end included, lies along a single-line
// field drawn in `font`.
// A layout adds up every glyph before the offset it is asked for, so the text
// is laid out in stretches, one after the other in the text's direction: the
// whole costs in proportion to its length, and only a text longer than a
// stretch that mixes both directions comes out a little off.
QList<qreal> placesAlong(QString text, const QFont &font);

} // namespace zel::accessibility
