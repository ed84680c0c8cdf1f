#include "ui/limited_text_edit.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextDocumentLayout>
#include <QTextCursor>

namespace zel {

namespace {

// The start of `text` that fits in `room`, never half of a character that
// takes two units. A CR LF is the one line break it becomes in the field.
QString fitted(QString text, int room)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (text.size() <= room)
        return text;
    if (room <= 0)
        return {};
    return text.left(text.at(room - 1).isHighSurrogate() ? room - 1 : room);
}

// Every change reaches the layout before it is drawn, however it was made (the
// program's own setPlainText too): whatever went beyond the limit is taken off
// the end of the change before a line of it is laid out.
class LimitedLayout final : public QPlainTextDocumentLayout
{
public:
    LimitedLayout(QTextDocument *document, int limit)
        : QPlainTextDocumentLayout(document)
        , limit(limit)
    { }

protected:
    void documentChanged(int from, int removed, int added) override
    {
        QTextDocument *text = document();
        const int length = text->characterCount() - 1; // without the closing separator
        if (const int excess = length - limit; excess > 0) {
            const int end = qBound(excess, from + added, length);
            int start = end - excess;
            if (start > 0 && text->characterAt(start - 1).isHighSurrogate())
                --start;
            QTextCursor cut(text);
            cut.setPosition(start);
            cut.setPosition(end, QTextCursor::KeepAnchor);
            // Recorded, if at all, as a step of its own; it reaches this
            // layout as a change of its own too.
            cut.removeSelectedText();
        }
        QPlainTextDocumentLayout::documentChanged(from, removed, added);
    }

private:
    int limit;
};

} // namespace

LimitedTextEdit::LimitedTextEdit(int maxLength, QWidget *parent)
    : QPlainTextEdit(parent)
    , limit(maxLength)
{
    auto *kept = new QTextDocument(this);
    auto *layout = new LimitedLayout(kept, limit);
    layout->setPaintDevice(viewport());
    kept->setDocumentLayout(layout);
    kept->setDefaultFont(font());
    setDocument(kept);
}

int LimitedTextEdit::length() const
{
    return document()->characterCount() - 1; // without the closing paragraph separator
}

int LimitedTextEdit::room() const
{
    const QTextCursor cursor = textCursor();
    return limit - length() + cursor.selectionEnd() - cursor.selectionStart();
}

QString LimitedTextEdit::fitting(const QString &text, int start, int end) const
{
    return fitted(text, limit - length() + qAbs(end - start));
}

// A line break with no room for it is not made; typed text is cut as a paste
// is. A key that would add nothing still goes no further, as in a single-line
// field. Control characters are commands (undo, delete...), never text.
void LimitedTextEdit::keyPressEvent(QKeyEvent *event)
{
    const bool lineBreak = event->matches(QKeySequence::InsertParagraphSeparator)
        || event->matches(QKeySequence::InsertLineSeparator);
    if (lineBreak && room() < 1) {
        event->accept();
        return;
    }
    const QString text = event->text();
    const bool typed = !text.isEmpty() && text.at(0).category() != QChar::Other_Control;
    const QString kept = typed ? fitted(text, room()) : text;
    if (kept == text) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    QKeyEvent cut(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                  event->nativeVirtualKey(), event->nativeModifiers(), kept, event->isAutoRepeat(),
                  event->count(), event->device());
    QPlainTextEdit::keyPressEvent(&cut);
    event->accept();
}

// The commit replaces the selection, then the range the input method names
// beside the caret when that lies in the text (as the field applies it).
void LimitedTextEdit::inputMethodEvent(QInputMethodEvent *event)
{
    const QTextCursor cursor = textCursor();
    const int left = length() - (cursor.selectionEnd() - cursor.selectionStart());
    int from = cursor.selectionStart() + event->replacementStart();
    if (from < 0 || from > left)
        from = cursor.selectionStart();
    int to = from + event->replacementLength();
    if (to < 0 || to > left)
        to = from;
    const QString kept = fitted(event->commitString(), limit - left + qAbs(to - from));
    if (kept == event->commitString()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent cut(event->preeditString(), event->attributes());
    cut.setCommitString(kept, event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&cut);
    event->setAccepted(cut.isAccepted());
}

void LimitedTextEdit::insertFromMimeData(const QMimeData *source)
{
    if (!source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QMimeData cut;
    cut.setText(fitted(source->text(), room()));
    QPlainTextEdit::insertFromMimeData(&cut);
}

} // namespace zel
