#pragma once

#include <QPlainTextEdit>

namespace zel {

// A multi-line text field that, like a single-line one, holds at most
// `maxLength` characters (a line break counts as one): whatever is typed,
// pasted, dropped, committed by an input method or set beyond that is cut,
// never halving a character. What the user adds is cut before it reaches the
// field, so a step to undo holds only what was kept; anything else is cut
// before the field lays it out, so even a huge text leaves the window answering.
class LimitedTextEdit final : public QPlainTextEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LimitedTextEdit)

public:
    explicit LimitedTextEdit(int maxLength, QWidget *parent = nullptr);

    int maxLength() const { return limit; }
    // As much of `text` as fits in place of the characters from `start` to
    // `end`, for those who edit the document directly (screen readers).
    QString fitting(const QString &text, int start, int end) const;

protected:
    void insertFromMimeData(const QMimeData *source) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;

private:
    int length() const;
    int room() const; // for what replaces the selection

    int limit;
};

} // namespace zel
