#include "ui/prompt_field.h"

#include "ui/look.h"
#include "ui/messages.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace zel {

namespace {
const QString NoSpaceMessage = QStringLiteral("Email Address Cannot Contain Space");
} // namespace

QString trimSpaces(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

QString textOnFocusIn(const QString &text, const QString &prompt)
{
    return trimSpaces(text) == prompt ? QString() : text;
}

QString textOnFocusOut(const QString &text, const QString &prompt)
{
    return trimSpaces(text).isEmpty() ? prompt : text;
}

PromptField::PromptField(QWidget *field, const QString &prompt, Spaces spaces)
    : QObject(field)
    , field(field)
    , promptText(prompt)
    , spaces(spaces)
{
    field->installEventFilter(this);
    // An e-mail address: an on-screen keyboard offers its characters, and a
    // held space is no typing but a refusal, once per press (see held_key.h).
    if (spaces == Spaces::Refused)
        field->setInputMethodHints(field->inputMethodHints() | Qt::ImhEmailCharactersOnly);
    // The prompt is the field's only label, and it leaves the field when typed into.
    field->setAccessibleName(prompt);
}

QString PromptField::text() const
{
    if (auto *line = qobject_cast<QLineEdit *>(field))
        return line->text();
    QString text = static_cast<QPlainTextEdit *>(field)->toPlainText();
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

void PromptField::setText(const QString &text)
{
    if (text == this->text())
        return;
    if (auto *line = qobject_cast<QLineEdit *>(field)) {
        line->setText(text);
        // The caret waits at the start, where the prompt is cleared from: a
        // caret that moved as the field gains the focus would tell a screen
        // reader the field had the focus already, and it would never say
        // which field this is.
        if (text == promptText)
            line->setCursorPosition(0);
        return;
    }
    static_cast<QPlainTextEdit *>(field)->setPlainText(look::shownLineBreaks(text));
}

bool PromptField::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != field)
        return false;
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
        // Another window coming to the front is not the user leaving the field.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            return false;
        setText(event->type() == QEvent::FocusIn ? textOnFocusIn(text(), promptText)
                                                 : textOnFocusOut(text(), promptText));
        return false;
    }
    case QEvent::KeyPress:
        if (spaces == Spaces::Refused
            && static_cast<QKeyEvent *>(event)->text() == QLatin1String(" ")) {
            messages::error(field->window(), NoSpaceMessage);
            field->setFocus(Qt::OtherFocusReason);
            return true; // the space never reaches the field
        }
        return false;
    default:
        return false;
    }
}

} // namespace zel
