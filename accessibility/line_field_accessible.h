#pragma once

#include "accessibility/places_along.h"
#include "accessibility/text_field_accessible.h"

#include <QFont>
#include <QList>
#include <QRect>

#include <tuple>

namespace zel {
class LineField;
}

namespace zel::accessibility {

// A single-line field as Qt's own interface has it, except that a word or a
// sentence asked for at the end of the text is the one that ends there, that
// a point stands for the character drawn there, and that what a screen reader
// writes is cut to the field's maximum length before the new text is made.
class LineFieldAccessible final : public TextFieldAccessible
{
public:
    explicit LineFieldAccessible(LineField *field);

    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text t, const QString &text) override;

    // The text interface.
    void selection(int index, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void removeSelection(int index) override;
    void setSelection(int index, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;

    // The editable text interface.
    void deleteText(int startOffset, int endOffset) override;
    void replaceText(int startOffset, int endOffset, const QString &text) override;

protected:
    // Lines and the whole text as Qt's own search finds them; characters,
    // words and sentences without stepping out of the text.
    QString textAround(int offset, QAccessible::TextBoundaryType type, int step, int *startOffset,
                       int *endOffset) const override;

private:
    LineField *field() const;
    // Whether the field shows its text as it is, not masked.
    bool showsText() const;
    // Where the character that holds the offset `character` is drawn, in the field.
    QRect boxOf(int character) const;

    // Measures kept while they hold: a screen reader asks for each character
    // of a range in turn, and each measure costs as much as the text is long.
    struct Measures
    {
        QString text; // shares the field's own until that changes
        QFont font;
        QList<Place> places;
        QRect caret;
        std::tuple<int, int, QSize> caretMeasuredFor; // caret, drawings, size
    };
    mutable Measures measures;
};

} // namespace zel::accessibility
