#pragma once

#include <QPlainTextEdit>

namespace zel {

// A multi-line text field that, like a single-line one, holds at most
// `maxLength` characters (a line break counts as one): whatever is typed,
// pasted, dropped or set beyond that is cut. What the user adds is cut before
// the field lays it out, so even a huge paste leaves the window answering.
class LimitedTextEdit final : public QPlainTextEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LimitedTextEdit)

public:
    explicit LimitedTextEdit(int maxLength, QWidget *parent = nullptr);

    int maxLength() const { return limit; }

protected:
    void insertFromMimeData(const QMimeData *source) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;

private:
    int length() const;
    int room() const; // for what replaces the selection
    void cutToLimit();

    int limit;
    int changeEnd = 0; // where the document's last change ends
};

} // namespace zel
