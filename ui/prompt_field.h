#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace zel {

// Removes space characters (and only those) from both ends.
QString trimSpaces(const QString &text);

// A field that shows its own prompt as its text. The prompt clears when the
// field gains the focus and comes back when the field is left empty.
QString textOnFocusIn(const QString &text, const QString &prompt);
QString textOnFocusOut(const QString &text, const QString &prompt);

// Binds that behaviour to one text field (single- or multi-line). Fields for
// e-mail addresses also refuse a typed space with a message.
class PromptField final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PromptField)

public:
    enum class Spaces { Accepted, Refused };

    PromptField(QWidget *field, const QString &prompt, Spaces spaces);

    // Multi-line text uses CR LF between lines, as the referral sends it.
    QString text() const;
    void setText(const QString &text);
    QString prompt() const { return promptText; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *field;
    QString promptText;
    Spaces spaces;
};

} // namespace zel
