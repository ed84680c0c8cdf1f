#pragma once

#include "accessibility/text_field_accessible.h"

#include <QTextCursor>

namespace zel {
class LimitedTextEdit;
}

namespace zel::accessibility {

// The message field as Qt's own interface has it, except that characters,
// words and sentences are found and points stand for characters as in the
// single-line field, that whatever a screen reader writes into it is cut to
// the field's limit before it arrives, and that nothing is written at an
// offset outside the text.
class LimitedTextEditAccessible final : public TextFieldAccessible
{
public:
    explicit LimitedTextEditAccessible(LimitedTextEdit *field);

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
    void scrollToSubstring(int, int) override { }

    // The editable text interface: what is written is cut to the limit first.
    void deleteText(int startOffset, int endOffset) override;
    void replaceText(int startOffset, int endOffset, const QString &text) override;

protected:
    QString textAround(int offset, QAccessible::TextBoundaryType type, int step, int *startOffset,
                       int *endOffset) const override;

private:
    LimitedTextEdit *field() const;
    // A cursor at `offset`, or at the nearer end for an offset outside the text.
    QTextCursor cursorAt(int offset) const;
    // A cursor that selects from `startOffset` to `endOffset`, as cursorAt() places them.
    QTextCursor cursorOver(int startOffset, int endOffset) const;
    // The line, paragraph or whole text at `offset`, or -1 and -1 for an
    // offset outside the text.
    std::pair<int, int> itemAt(int offset, QAccessible::TextBoundaryType type) const;
};

} // namespace zel::accessibility
