#include "support_test.h"
#include "ui/prompt_field.h"

#include <QAccessible>
#include <QClipboard>
#include <QElapsedTimer>
#include <QMimeData>
#include <QPlainTextEdit>

using namespace zel;

// The support window's fields: their prompts, the spaces they refuse, and
// the message field's limit however text reaches it.
class TestReferralFields : public SupportTest
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { drawAsDesigned(); }

    void promptRules_data();
    void promptRules();
    void fieldsHoldTheirLength();
    void promptComesBackOnlyWhenLeftEmpty();
    void typedSpace_data();
    void typedSpace();
    void pastedSpaceIsKept();
    void longMessageIsCutAtOnce_data();
    void longMessageIsCutAtOnce();
};

void TestReferralFields::promptRules_data()
{
    columns<QString, QString, QString, QString>("text", "prompt", "afterFocusIn", "afterFocusOut");

    row("the prompt", "Your Name", "Your Name", "", "Your Name");
    row("prompt in spaces", "  Your Name ", "Your Name", "", "  Your Name ");
    row("other case", "your name", "Your Name", "your name", "your name");
    row("only spaces", "   ", "Your Name", "   ", "Your Name");
    row("empty", "", "Friend's Name", "", "Friend's Name");
    row("leading spaces kept", "  Ann", "Your Name", "  Ann", "  Ann");
    row("trailing spaces kept", "Ann  ", "Your Name", "Ann  ", "Ann  ");
    row("a tab is no space", "\tYour Name", "Your Name", "\tYour Name", "\tYour Name");
    row("only a tab", "\t", "Your Name", "\t", "\t");
    row("message as it starts", "Your Message\r\n", "Your Message", "Your Message\r\n",
        "Your Message\r\n");
}

void TestReferralFields::promptRules()
{
    QFETCH(QString, text);
    QFETCH(QString, prompt);
    QFETCH(QString, afterFocusIn);
    QFETCH(QString, afterFocusOut);
    QCOMPARE(textOnFocusIn(text, prompt), afterFocusIn);
    QCOMPARE(textOnFocusOut(text, prompt), afterFocusOut);
}

// The prompts they start with are the support window's tree's; each holds 256.
void TestReferralFields::fieldsHoldTheirLength()
{
    for (const char *name : {"txtName", "txtEmail", "txtFriendName", "txtFriendEmail"})
        QCOMPARE(line(name)->maxLength(), 256);
}

// A field emptied by the user gets its prompt back. (Tabbing through every
// field leaves each as it was: the support window's tree is read after it.)
void TestReferralFields::promptComesBackOnlyWhenLeftEmpty()
{
    line("txtName")->setFocus(Qt::TabFocusReason);
    QCOMPARE(line("txtName")->text(), QString());
    QTest::keyClicks(line("txtName"), QStringLiteral("Ann "));
    line("txtEmail")->setFocus(Qt::TabFocusReason);
    QCOMPARE(line("txtName")->text(), QStringLiteral("Ann "));
    QCOMPARE(line("txtEmail")->text(), QString());
    line("txtFriendName")->setFocus(Qt::MouseFocusReason);
    QCOMPARE(line("txtEmail")->text(), QStringLiteral("Your Email Address"));
    // Another window coming to the front and going is not the user leaving.
    for (const QEvent::Type type : {QEvent::FocusOut, QEvent::FocusIn}) {
        QFocusEvent event(type, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(line("txtFriendName"), &event);
        QCOMPARE(line("txtFriendName")->text(), QString());
    }
}

void TestReferralFields::typedSpace_data()
{
    columns<QString, bool>("field", "refused");
    row("txtEmail", "txtEmail", true);
    row("txtFriendEmail", "txtFriendEmail", true);
    row("txtName", "txtName", false);
    row("txtFriendName", "txtFriendName", false);
    row("txtMessage", "txtMessage", false);
}

void TestReferralFields::typedSpace()
{
    QFETCH(QString, field);
    QFETCH(bool, refused);
    QWidget *widget = control(field.toLatin1().constData());
    widget->setFocus(Qt::TabFocusReason);
    const auto text = [widget] {
        if (auto *edit = qobject_cast<QLineEdit *>(widget))
            return edit->text();
        return static_cast<QPlainTextEdit *>(widget)->toPlainText();
    };
    QTest::keyClicks(widget, QStringLiteral("ab"));
    const QString before = text();

    QTest::keyClick(widget, Qt::Key_Space);

    QCOMPARE(QApplication::focusWidget(), widget);
    if (refused) {
        QCOMPARE(text(), before);
        QCOMPARE(boxTexts(), QStringList {"Email Address Cannot Contain Space"});
        QCOMPARE(boxes.first().kind, messages::Kind::Error);
        QCOMPARE(boxes.first().parent, window);
    } else {
        QVERIFY(text().contains(QStringLiteral("ab ")));
        QVERIFY(boxes.isEmpty());
    }
}

void TestReferralFields::pastedSpaceIsKept()
{
    line("txtEmail")->setFocus(Qt::TabFocusReason);
    line("txtEmail")->insert(QStringLiteral("ann @example.org"));
    QCOMPARE(line("txtEmail")->text(), QStringLiteral("ann @example.org"));
    QVERIFY(boxes.isEmpty());
}

// However a long text reaches the message field (a megabyte on one line, by
// the user), the field keeps its first 2,000 characters, never half of one,
// and answers at once; a character typed then makes it no longer and leaves
// nothing to undo, and an undo never brings back what was cut.
void TestReferralFields::longMessageIsCutAtOnce_data()
{
    columns<QString, QString, int, QString>("how", "text", "kept", "afterUndo");
    const QString megabyte(1 << 20, QLatin1Char('m'));
    const QString program(3000, QLatin1Char('s'));
    QString pairs; // unit 2,000 is the second half of an emoji
    while (pairs.size() < 3000)
        pairs += QStringLiteral("a\U0001F600");
    row("Ctrl+V", "paste", megabyte, 2000, "");
    row("Ctrl+V, a character across the limit", "paste", pairs, 1999, "");
    row("drop", "drop", megabyte, 2000, "");
    row("input method", "input method", megabyte, 2000, "");
    row("input method within the limit", "input method", "Ciao!", 5, "");
    // Setting a text leaves nothing to undo.
    row("set by the program", "set", program, 2000, program.left(2000));
    row("set by the program, one over the limit", "set", program.left(2001), 2000,
        program.left(2000));
    row("set by the program, a character across the limit", "set", pairs, 1999, pairs.left(1999));
    // A screen reader's edits can be undone as the user's are; setting the
    // whole text, as the program's own setting, cannot.
    row("set by a screen reader", "reader set", megabyte, 2000, megabyte.left(2000));
    row("written over by a screen reader", "reader replace", megabyte, 2000, "");
    row("inserted by a screen reader", "reader insert", megabyte, 2000, "");
}

void TestReferralFields::longMessageIsCutAtOnce()
{
    QFETCH(QString, how);
    QFETCH(QString, text);
    QFETCH(int, kept);
    QFETCH(QString, afterUndo);
    auto *message = control<QPlainTextEdit>("txtMessage");
    message->setFocus(Qt::TabFocusReason);
    QTest::keyClick(message, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(message, Qt::Key_Delete);
    QApplication::clipboard()->setText(text);
    QMimeData dragged;
    dragged.setText(text);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QInputMethodEvent input;
    input.setCommitString(text);
    QAccessibleInterface *heard = QAccessible::queryAccessibleInterface(message);

    QElapsedTimer timer;
    timer.start();
    if (how == QLatin1String("paste"))
        QTest::keyClick(message, Qt::Key_V, Qt::ControlModifier);
    else if (how == QLatin1String("drop"))
        QApplication::sendEvent(message->viewport(), &enter)
            && QApplication::sendEvent(message->viewport(), &drop);
    else if (how == QLatin1String("input method"))
        QApplication::sendEvent(message, &input);
    else if (how == QLatin1String("reader set"))
        heard->setText(QAccessible::Value, text);
    else if (how == QLatin1String("reader replace"))
        heard->editableTextInterface()->replaceText(0, 0, text);
    else if (how == QLatin1String("reader insert"))
        heard->editableTextInterface()->insertText(0, text);
    else
        message->setPlainText(text);
    message->repaint();
    QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(message->toPlainText(), text.left(kept));

    QTest::keyClick(message, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(message, Qt::Key_X);
    QCOMPARE(message->toPlainText(), (text.left(kept) + QLatin1Char('x')).left(2000));
    // The context menu offers to undo only what changed the field.
    QCOMPARE(message->document()->isUndoAvailable(), !how.endsWith(u"set") || kept < 2000);
    QTest::keyClick(message, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(message->toPlainText(), afterUndo);
}

QTEST_MAIN(TestReferralFields)
#include "tst_referral_fields.moc"
