#include "ui/limited_text_edit.h"

#include <QKeyEvent>
#include <QMimeData>

namespace zel {

namespace {

// The start of `text` that fits in `room`, never half of a character that
// takes two units.
QString fitted(const QString &text, int room)
{
    if (text.size() <= room)
        return text;
    if (room <= 0)
        return {};
    return text.left(text.at(room - 1).isHighSurrogate() ? room - 1 : room);
}

} // namespace

LimitedTextEdit::LimitedTextEdit(int maxLength, QWidget *parent)
    : QPlainTextEdit(parent)
    , limit(maxLength)
{
    // The program's own changes (setPlainText, which leaves nothing to undo,
    // insertPlainText...): the change is made, then what went beyond the
    // limit is taken off its end.
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int from, int, int added) { changeEnd = from + added; });
    connect(document(), &QTextDocument::contentsChanged, this, &LimitedTextEdit::cutToLimit);
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

// A key that would add more than there is room for adds nothing, as in a
// single-line field. Ctrl with a letter is a command (undo, paste...), never text.
void LimitedTextEdit::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool command = modifiers == Qt::ControlModifier
        || modifiers == (Qt::ControlModifier | Qt::ShiftModifier);
    const bool lineBreak = event->matches(QKeySequence::InsertParagraphSeparator)
        || event->matches(QKeySequence::InsertLineSeparator);
    const bool typed
        = !command && !text.isEmpty() && (text.at(0).isPrint() || text.at(0).isHighSurrogate());
    if ((lineBreak || typed) && room() < (lineBreak ? 1 : text.size())) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void LimitedTextEdit::inputMethodEvent(QInputMethodEvent *event)
{
    const int room = this->room() + event->replacementLength();
    if (event->commitString().size() <= room) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent cut(event->preeditString(), event->attributes());
    cut.setCommitString(fitted(event->commitString(), room), event->replacementStart(),
                        event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&cut);
    event->setAccepted(cut.isAccepted());
}

void LimitedTextEdit::insertFromMimeData(const QMimeData *source)
{
    if (!source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    // The field takes CR LF as one line break.
    QString text = source->text();
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMimeData cut;
    cut.setText(fitted(text, room()));
    QPlainTextEdit::insertFromMimeData(&cut);
}

void LimitedTextEdit::cutToLimit()
{
    const int excess = length() - limit;
    if (excess <= 0)
        return;
    const int end = qBound(excess, changeEnd, length());
    int start = end - excess;
    if (start > 0 && document()->characterAt(start - 1).isHighSurrogate())
        --start;
    QTextCursor cursor(document());
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    // Recorded, if at all, as a step of its own: undoing it makes the text too
    // long again, which cuts it again.
    cursor.removeSelectedText();
}

} // namespace zel
