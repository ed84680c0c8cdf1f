#pragma once

#include "accessibility/widget_accessible.h"

#include <QTextBoundaryFinder>

#include <utility>

namespace zel::accessibility {

// What a screen reader reads and writes in a text field: the base of the
// single-line field's interface and the message field's. Qt's own interfaces
// for fields are not public: these follow them. Whatever the offsets a screen
// reader gives, every call answers at once.
class TextFieldAccessible : public WidgetAccessible,
                            public QAccessibleTextInterface,
                            public QAccessibleEditableTextInterface
{
public:
    explicit TextFieldAccessible(QWidget *widget);

    void *interface_cast(QAccessible::InterfaceType t) override;
    void addSelection(int startOffset, int endOffset) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                             int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                            int *endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                         int *endOffset) const override;
    void insertText(int offset, const QString &text) override;

protected:
    // The item of `type` before (step -1), at (0) or after (1) `offset`, as
    // the field's kind finds it, or no item.
    virtual QString textAround(int offset, QAccessible::TextBoundaryType type, int step,
                               int *startOffset, int *endOffset) const = 0;

    // No item: an empty text from -1 to -1.
    static QString noItem(int *startOffset, int *endOffset);
    // The character, word or sentence of `text` before (step -1), at (0) or
    // after (1) `offset` (in the text), as both fields find them: a word or a
    // sentence asked for at the end of the text is the one that ends there.
    static QString itemAround(const QString &text, int offset, QAccessible::TextBoundaryType type,
                              int step, int *startOffset, int *endOffset);
    // The item of `type` in `text` before (step -1), at (0) or after (1)
    // `offset`, as Qt's own search finds it, or -1 and -1 where there is none.
    // Qt's own steps out of the text and never returns when it starts at an
    // edge that begins nothing, as a leading space or "¿" does, or at the edge
    // that ends the text (Qt 6.4 to 6.8 at least); this one never leaves it.
    static std::pair<int, int> itemIn(const QString &text, int offset,
                                      QTextBoundaryFinder::BoundaryType type, int step);

    // Where `offset` lies in the text: -1 stands for its end and -2 for the
    // caret. Any other offset outside the text is nowhere (-1).
    int offsetInText(int offset) const;
    // As offsetInText(), but an offset outside the text stands for its nearer end.
    int nearestOffsetInText(int offset) const;
    // The range between two offsets in order, widened to whole characters,
    // or -1 and -1 if either is nowhere: an edit there changes nothing.
    std::pair<int, int> rangeInText(int startOffset, int endOffset) const;
};

} // namespace zel::accessibility
