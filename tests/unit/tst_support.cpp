#include "accessibility_check.h"
#include "data_row.h"
#include "fixture.h"
#include "links/link_target.h"
#include "oracle/random_source.h"
#include "reference_image.h"
#include "support/referral.h"
#include "support/support_window.h"
#include "ui/prompt_field.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>

#include <bit>
#include <cmath>
#include <limits>
#include <random>

using namespace zel;

namespace {

struct Fields
{
    QString name, email, friendName, friendEmail;
};

// The product's site as the last value of a request: ":" and "/" encoded.
QString encodedProductSite()
{
    QString site = linkAddress(LinkTarget::ProductSite);
    site.replace(QLatin1String(":"), QLatin1String("%3A"));
    return site.replace(QLatin1String("/"), QLatin1String("%2F"));
}

} // namespace

class TestSupport : public Fixture
{
    Q_OBJECT

private:
    SupportWindow *window = nullptr;

    QLineEdit *line(const char *name) const { return control<QLineEdit>(name); }
    void submit() const { control<QPushButton>("cmdSubmit")->click(); }
    void fill(const Fields &fields)
    {
        line("txtName")->setText(fields.name);
        line("txtEmail")->setText(fields.email);
        line("txtFriendName")->setText(fields.friendName);
        line("txtFriendEmail")->setText(fields.friendEmail);
    }

private Q_SLOTS:
    void initTestCase() { drawAsDesigned(); }
    void init()
    {
        Fixture::init();
        window = openWindow<SupportWindow>();
    }

    void promptRules_data();
    void promptRules();
    void fieldsStartWithTheirPrompts();
    void promptComesBackOnlyWhenLeftEmpty();
    void typedSpace_data();
    void typedSpace();
    void pastedSpaceIsKept();

    void referralChecks_data();
    void referralChecks();
    void firstRefusalForEveryPromptLeft_data();
    void firstRefusalForEveryPromptLeft();
    void composedAddress_data();
    void composedAddress();
    void twoPressesOpenTwoIdenticalRequests();
    void hiddenMessageEmptiedFailsEveryPress();
    void refusalIsARealBoxOverTheWindow();
    void oddValuesArriveIntact_data();
    void oddValuesArriveIntact();
    void longMessageIsCutAtOnce_data();
    void longMessageIsCutAtOnce();
    void pastedLineBreaksStayOne();
    void longestReferralIsSentWhole();

    void appealChoice_data();
    void appealChoice();
    void appealsComeUpEvenly();
    void windowDesign();
    void screenReadersHearEachControl_data();
    void screenReadersHearEachControl();
    void libraryText();
    void checkBoxOpensHomeAndStaysReleased();
    void libraryLinkOpensTheLibrary();
    void enterPressesOnlyTheFocusedButton();
    void escapeDoesNothing();
    void focusAfterEachAction_data();
    void focusAfterEachAction();
};

void TestSupport::promptRules_data()
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

void TestSupport::promptRules()
{
    QFETCH(QString, text);
    QFETCH(QString, prompt);
    QFETCH(QString, afterFocusIn);
    QFETCH(QString, afterFocusOut);
    QCOMPARE(textOnFocusIn(text, prompt), afterFocusIn);
    QCOMPARE(textOnFocusOut(text, prompt), afterFocusOut);
}

void TestSupport::fieldsStartWithTheirPrompts()
{
    QCOMPARE(line("txtName")->text(), QStringLiteral("Your Name"));
    QCOMPARE(line("txtEmail")->text(), QStringLiteral("Your Email Address"));
    QCOMPARE(line("txtFriendName")->text(), QStringLiteral("Friend's Name"));
    QCOMPARE(line("txtFriendEmail")->text(), QStringLiteral("Friend's Email Address"));
    QCOMPARE(control<QPlainTextEdit>("txtMessage")->toPlainText(),
             QStringLiteral("Your Message\n"));
    for (const char *name : {"txtName", "txtEmail", "txtFriendName", "txtFriendEmail"})
        QCOMPARE(line(name)->maxLength(), 256);
}

// Tabbing through every field and out again leaves each as it was; a field
// emptied by the user gets its prompt back.
void TestSupport::promptComesBackOnlyWhenLeftEmpty()
{
    QWidget *start = control("cmdClose");
    start->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 9; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), start);
    QCOMPARE(line("txtName")->text(), QStringLiteral("Your Name"));
    QCOMPARE(control<QPlainTextEdit>("txtMessage")->toPlainText(),
             QStringLiteral("Your Message\n"));

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

void TestSupport::typedSpace_data()
{
    columns<QString, bool>("field", "refused");
    row("txtEmail", "txtEmail", true);
    row("txtFriendEmail", "txtFriendEmail", true);
    row("txtName", "txtName", false);
    row("txtFriendName", "txtFriendName", false);
    row("txtMessage", "txtMessage", false);
}

void TestSupport::typedSpace()
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

void TestSupport::pastedSpaceIsKept()
{
    line("txtEmail")->setFocus(Qt::TabFocusReason);
    line("txtEmail")->insert(QStringLiteral("ann @example.org"));
    QCOMPARE(line("txtEmail")->text(), QStringLiteral("ann @example.org"));
    QVERIFY(boxes.isEmpty());
}

// One row per refusal and per pass, through the window's own press handler:
// the values are trimmed, the checks run in order, and at most one message shows.
void TestSupport::referralChecks_data()
{
    columns<QString, QString, QString, QString, QString>("name", "email", "friendName",
                                                         "friendEmail", "refusal");

    const QString distinct = QStringLiteral("Please Enter Distinct Email Addresses");
    const QString proper = QStringLiteral("Please Enter Proper Email Address");
    const QString noName = QStringLiteral("Please Enter Your Name");
    const QString noFriend = QStringLiteral("Please Enter Your Friend's Name");

    row("all prompts", "Your Name", "Your Email Address", "Friend's Name", "Friend's Email Address",
        proper);
    row("both emails empty", "Ann", "", "Bo", "", distinct);
    row("same email", "Ann", "a@x.org", "Bo", "a@x.org", distinct);
    row("same once trimmed", "Ann", "  a@x.org", "Bo", "a@x.org  ", distinct);
    row("no at sign", "Ann", "a.x.org", "Bo", "b@y.org", proper);
    row("friend has no full stop", "Ann", "a@x.org", "Bo", "b@y", proper);
    row("emails before the name", "", "a@x", "", "b@y.org", proper);
    row("name is its prompt", "Your Name", "a@x.org", "Bo", "b@y.org", noName);
    row("name only spaces", "   ", "a@x.org", "Bo", "b@y.org", noName);
    row("name before friend", "", "a@x.org", "", "b@y.org", noName);
    row("friend empty", "Ann", "a@x.org", "", "b@y.org", noFriend);
    row("friend only spaces", "Ann", "a@x.org", "   ", "b@y.org", noFriend);
    row("friend is its prompt", "Ann", "a@x.org", "Friend's Name", "b@y.org", noFriend);
    row("passes", "Ann", "a@x.org", "Bo", "b@y.org", "");
    row("lower-case prompt is a name", "your name", "a@x.org", "Bo", "b@y.org", "");
    row("emails differ only in case", "Ann", "A@x.org", "Bo", "a@x.org", "");
    row("dot before at passes", "Ann", "a.b@x", "Bo", "b@y.org", "");
}

void TestSupport::referralChecks()
{
    QFETCH(QString, name);
    QFETCH(QString, email);
    QFETCH(QString, friendName);
    QFETCH(QString, friendEmail);
    QFETCH(QString, refusal);

    fill({name, email, friendName, friendEmail});
    QWidget *focus = control("cmdSubmit");
    focus->setFocus();
    const QString lastRequest = referral::requestAddress();

    control<QPushButton>("cmdSubmit")->click();

    if (refusal.isEmpty()) {
        QVERIFY(boxes.isEmpty());
        QCOMPARE(opened.size(), 1);
        QCOMPARE(referral::requestAddress(), opened.first());
    } else {
        QCOMPARE(boxTexts(), QStringList {refusal});
        QCOMPARE(boxes.first().kind, messages::Kind::Error);
        QCOMPARE(boxes.first().parent, window);
        QVERIFY(opened.isEmpty());
        QCOMPARE(referral::requestAddress(), lastRequest);
    }
    // Nothing in the window changes, pass or fail.
    QCOMPARE(line("txtName")->text(), name);
    QCOMPARE(line("txtEmail")->text(), email);
    QCOMPARE(line("txtFriendEmail")->text(), friendEmail);
    QCOMPARE(QApplication::focusWidget(), focus);
    QCOMPARE(referral::values().email, email.trimmed());
}

// Every choice of fields left at their prompts, the rest filled in properly:
// the first refusal, and only it, shows. An address left at its prompt is
// not a proper one; then the name, the message and the friend's name, in turn.
void TestSupport::firstRefusalForEveryPromptLeft_data()
{
    columns<QStringList, QString>("values", "refusal");
    const QStringList objects
        = {QStringLiteral("txtName"), QStringLiteral("txtEmail"), QStringLiteral("txtMessage"),
           QStringLiteral("txtFriendName"), QStringLiteral("txtFriendEmail")};
    const QStringList filled
        = {QStringLiteral("Ann"), QStringLiteral("a@x.org"), QStringLiteral("Hi"),
           QStringLiteral("Bo"), QStringLiteral("b@y.org")};
    const QStringList prompts
        = {referral::NamePrompt, referral::EmailPrompt, referral::MessagePrompt,
           referral::FriendNamePrompt, referral::FriendEmailPrompt};
    const QStringList firstLeft = {QStringLiteral("Please Enter Your Name"), QString(),
                                   QStringLiteral("Please Enter Your Message"),
                                   QStringLiteral("Please Enter Your Friend's Name")};
    for (int left = 0; left < 32; ++left) {
        QStringList values, names;
        QString refusal;
        for (int field = 0; field < 5; ++field) {
            const bool atPrompt = left & (1 << field);
            values << (atPrompt ? prompts[field] : filled[field]);
            if (atPrompt)
                names << objects[field];
        }
        if (left & 0b10010)
            refusal = QStringLiteral("Please Enter Proper Email Address");
        else if (left)
            refusal = firstLeft[std::countr_zero(unsigned(left))];
        QTest::addRow("%s", names.isEmpty() ? "none" : qPrintable(names.join(u'+')))
            << values << refusal;
    }
}

void TestSupport::firstRefusalForEveryPromptLeft()
{
    QFETCH(QStringList, values);
    QFETCH(QString, refusal);
    fill({values[0], values[1], values[3], values[4]});
    control<QPlainTextEdit>("txtMessage")->setPlainText(values[2]);
    submit();
    QCOMPARE(boxTexts(), refusal.isEmpty() ? QStringList() : QStringList {refusal});
    QCOMPARE(opened.size(), refusal.isEmpty() ? 1 : 0);
}

void TestSupport::composedAddress_data()
{
    columns<QString, QString, QString, QString, QString, QString>(
        "name", "email", "message", "friendName", "friendEmail", "query");

    row("plain", "Ann", "a@x.org", "Hi", "Bo", "b@y.org",
        "taf1=Ann&taf2=a%40x.org&taf3=Hi&taf4=Bo&taf5=b%40y.org");
    row("untouched message", "Ann", "a@x.org", "Your Message\r\n", "Bo", "b@y.org",
        "taf1=Ann&taf2=a%40x.org&taf3=Your%20Message%0D%0A&taf4=Bo&taf5=b%40y.org");
    row("ampersand and equals", "Tom & Jerry", "a@x.org", "a=b", "B&B=1", "b@y.org",
        "taf1=Tom%20%26%20Jerry&taf2=a%40x.org&taf3=a%3Db&taf4=B%26B%3D1&taf5=b%40y.org");
    row("hash and percent", "No #1", "a@x.org", "100% sure", "Bo", "b+c@y.org",
        "taf1=No%20%231&taf2=a%40x.org&taf3=100%25%20sure&taf4=Bo&taf5=b%2Bc%40y.org");
    row("non-ASCII letters", QStringLiteral("Zoë"), QStringLiteral("zoë@x.org"),
        QStringLiteral("Grüße ✓"), QStringLiteral("Łukasz"), "l@y.org",
        "taf1=Zo%C3%AB&taf2=zo%C3%AB%40x.org&taf3=Gr%C3%BC%C3%9Fe%20%E2%9C%93"
        "&taf4=%C5%81ukasz&taf5=l%40y.org");
    row("unreserved stay", "A-z_0.9~", "a@x.org", "m", "f", "b@y.org",
        "taf1=A-z_0.9~&taf2=a%40x.org&taf3=m&taf4=f&taf5=b%40y.org");
}

void TestSupport::composedAddress()
{
    QFETCH(QString, name);
    QFETCH(QString, email);
    QFETCH(QString, message);
    QFETCH(QString, friendName);
    QFETCH(QString, friendEmail);
    QFETCH(QString, query);

    const QString expected = linkAddress(LinkTarget::ReferralEndpoint) + QLatin1Char('?') + query
        + QStringLiteral("&taf6=") + encodedProductSite();

    QCOMPARE(referral::composeRequest({name, email, message, friendName, friendEmail}), expected);
}

void TestSupport::twoPressesOpenTwoIdenticalRequests()
{
    fill({QStringLiteral(" Ann "), QStringLiteral("a@x.org"), QStringLiteral("Bo"),
          QStringLiteral("b@y.org ")});
    submit();
    submit();
    QCOMPARE(opened.size(), 2);
    QCOMPARE(opened.at(0), opened.at(1));
    QVERIFY(opened.first().contains(QStringLiteral(
        "?taf1=Ann&taf2=a%40x.org&taf3=Your%20Message%0D%0A&taf4=Bo&taf5=b%40y.org&taf6=")));
    QCOMPARE(referral::requestAddress(), opened.first());
    QCOMPARE(line("txtName")->text(), QStringLiteral(" Ann "));
}

// Tabbing into the unseen message field, emptying it and leaving it puts the
// bare prompt back, which no press accepts until the field holds other text.
void TestSupport::hiddenMessageEmptiedFailsEveryPress()
{
    fill({QStringLiteral("Ann"), QStringLiteral("a@x.org"), QStringLiteral("Bo"),
          QStringLiteral("b@y.org")});
    auto *message = control<QPlainTextEdit>("txtMessage");
    QVERIFY(!control("Frame2")->rect().intersects(message->geometry()));
    message->setFocus(Qt::TabFocusReason);
    message->selectAll();
    QTest::keyClick(message, Qt::Key_Delete);
    control("cmdSubmit")->setFocus(Qt::TabFocusReason);
    QCOMPARE(message->toPlainText(), QStringLiteral("Your Message"));

    submit();
    submit();
    QCOMPARE(boxTexts(), QStringList(2, QStringLiteral("Please Enter Your Message")));
    QVERIFY(opened.isEmpty());

    message->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(message, QStringLiteral("!"));
    control("cmdSubmit")->setFocus(Qt::TabFocusReason);
    submit();
    QCOMPARE(opened.size(), 1);
}

void TestSupport::refusalIsARealBoxOverTheWindow()
{
    messages::setAnswererForTests({});
    SeenBox seen;
    answerNextBox(&seen);
    submit(); // every field still shows its prompt
    QCOMPARE(seen.title, QStringLiteral("Zel Orvalis"));
    QCOMPARE(seen.text, QStringLiteral("Please Enter Proper Email Address"));
    QCOMPARE(seen.icon, QMessageBox::Critical);
    QCOMPARE(seen.buttons.size(), 1);
    QCOMPARE(seen.parent, window);
}

// Whatever the user types reaches a server that decodes its query string
// exactly as typed: every key present, in order, with its own value.
void TestSupport::oddValuesArriveIntact_data()
{
    columns<QString, QString, QString>("name", "message", "friendName");

    row("query characters", "a&taf2=x#frag", "100% = 1/1 + 0?", "B&B");
    row("line breaks and controls", "Ann\tLee", "Line one\r\nLine two\r\n\x01", "\x7f");
    row("other scripts", QStringLiteral("Zoë Ørsted"), QStringLiteral("Grüße 日本 😀"),
        QStringLiteral("Łukasz"));
    row("lone surrogate becomes U+FFFD", QString(QChar(0xDC00)), QStringLiteral("m"),
        QStringLiteral("f"));
}

void TestSupport::oddValuesArriveIntact()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    QFETCH(QString, friendName);
    const ReferralValues values {name, QStringLiteral("a+b@x.org"), message, friendName,
                                 QStringLiteral("c@y.org")};

    const QUrl address(referral::composeRequest(values));
    QVERIFY(address.isValid());
    QVERIFY(!address.hasFragment());
    QCOMPARE(address.toString(QUrl::RemoveQuery), linkAddress(LinkTarget::ReferralEndpoint));
    const QUrlQuery query(address);
    QStringList keys;
    for (const auto &item : query.queryItems(QUrl::FullyDecoded))
        keys << item.first;
    QCOMPARE(keys, QStringList({"taf1", "taf2", "taf3", "taf4", "taf5", "taf6"}));
    // A lone surrogate is not text; UTF-8 carries the replacement character.
    const auto sent = [](const QString &value) {
        return QString::fromUtf8(value.toUtf8());
    };
    QCOMPARE(query.queryItemValue(QStringLiteral("taf1"), QUrl::FullyDecoded), sent(name));
    QCOMPARE(query.queryItemValue(QStringLiteral("taf2"), QUrl::FullyDecoded),
             QStringLiteral("a+b@x.org"));
    QCOMPARE(query.queryItemValue(QStringLiteral("taf3"), QUrl::FullyDecoded), sent(message));
    QCOMPARE(query.queryItemValue(QStringLiteral("taf4"), QUrl::FullyDecoded), sent(friendName));
    QCOMPARE(query.queryItemValue(QStringLiteral("taf6"), QUrl::FullyDecoded),
             linkAddress(LinkTarget::ProductSite));
}

// However a long text reaches the message field (a megabyte on one line, by
// the user), the field keeps its first 2,000 characters, never half of one,
// and answers at once; a character typed then makes it no longer and leaves
// nothing to undo, and an undo never brings back what was cut.
void TestSupport::longMessageIsCutAtOnce_data()
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
}

void TestSupport::longMessageIsCutAtOnce()
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

    QElapsedTimer timer;
    timer.start();
    if (how == QLatin1String("paste"))
        QTest::keyClick(message, Qt::Key_V, Qt::ControlModifier);
    else if (how == QLatin1String("drop"))
        QApplication::sendEvent(message->viewport(), &enter)
            && QApplication::sendEvent(message->viewport(), &drop);
    else if (how == QLatin1String("input method"))
        QApplication::sendEvent(message, &input);
    else
        message->setPlainText(text);
    message->repaint();
    QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(message->toPlainText(), text.left(kept));

    QTest::keyClick(message, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(message, Qt::Key_X);
    QCOMPARE(message->toPlainText(), (text.left(kept) + QLatin1Char('x')).left(2000));
    // The context menu offers to undo only what changed the field.
    QCOMPARE(message->document()->isUndoAvailable(), how != QLatin1String("set") || kept < 2000);
    QTest::keyClick(message, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(message->toPlainText(), afterUndo);
}

// A pasted CR LF is one line break, and counts as one towards the limit.
void TestSupport::pastedLineBreaksStayOne()
{
    auto *message = control<QPlainTextEdit>("txtMessage");
    message->setFocus(Qt::TabFocusReason);
    QTest::keyClick(message, Qt::Key_A, Qt::ControlModifier);
    QApplication::clipboard()->setText(QStringLiteral("ab\r\n").repeated(700));
    QTest::keyClick(message, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(message->toPlainText(), QStringLiteral("ab\n").repeated(700).left(2000));
}

// Every field at its limit: the longest request reaches the browser whole.
// A Windows command line holds 32,767 characters, of which the browser's own
// path (up to 260) and options need some; Linux takes 128 KiB for one argument.
void TestSupport::longestReferralIsSentWhole()
{
    const QString wide(3000, QChar(0x65E5)); // three bytes in UTF-8
    const QString sun = QStringLiteral("%E6%97%A5");
    fill({wide, QStringLiteral("a@b.") + wide, wide, QStringLiteral("b@b.") + wide});
    auto *message = control<QPlainTextEdit>("txtMessage");
    message->setFocus(Qt::TabFocusReason);
    QTest::keyClick(message, Qt::Key_A, Qt::ControlModifier);
    QApplication::clipboard()->setText(wide);
    QTest::keyClick(message, Qt::Key_V, Qt::ControlModifier);
    control("cmdSubmit")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(control("cmdSubmit"), Qt::Key_Space);

    QCOMPARE(opened,
             QStringList {linkAddress(LinkTarget::ReferralEndpoint) + QStringLiteral("?taf1=")
                          + sun.repeated(256) + QStringLiteral("&taf2=a%40b.") + sun.repeated(252)
                          + QStringLiteral("&taf3=") + sun.repeated(2000) + QStringLiteral("&taf4=")
                          + sun.repeated(256) + QStringLiteral("&taf5=b%40b.") + sun.repeated(252)
                          + QStringLiteral("&taf6=") + encodedProductSite()});
    const ReferralValues longest {wide.left(256), wide.left(256), wide.left(2000), wide.left(256),
                                  wide.left(256)};
    QVERIFY(referral::composeRequest(longest).size() <= 32767 - 1024);
}

void TestSupport::appealChoice_data()
{
    columns<float, int>("r", "k");
    // Each quarter of r from its start to the float just below the next.
    const char *const quarters[] = {"0", "1/4", "1/2", "3/4"};
    for (int k = 0; k < 4; ++k) {
        row(quarters[k], k / 4.0f, k);
        const QByteArray below = k < 3 ? QByteArray("below ") + quarters[k + 1] : "highest r";
        row(below.constData(), std::nextafter((k + 1) / 4.0f, 0.0f), k);
    }
}

void TestSupport::appealChoice()
{
    QFETCH(float, r);
    QFETCH(int, k);
    QCOMPARE(appealIndex(r), k);
    feedRandom({r});
    SupportWindow another;
    QCOMPARE(another.findChild<QLabel *>(QStringLiteral("Label2"))->text(), appealText(k));
    QVERIFY(!appealText(k).isEmpty());
}

void TestSupport::appealsComeUpEvenly()
{
    std::mt19937 engine(7u);
    constexpr int draws = 100000;
    std::array<int, 4> counts {};
    for (int i = 0; i < draws; ++i)
        ++counts.at(appealIndex(oracle::randomFromBits(static_cast<std::uint32_t>(engine()))));
    for (int count : counts)
        QVERIFY2(std::abs(count - draws / 4) < draws / 100, qPrintable(QString::number(count)));
}

void TestSupport::windowDesign()
{
    QCOMPARE(window->windowTitle(), QStringLiteral(ZEL_WINDOW_TITLE));
    QCOMPARE(window->size(), QSize(741, 315));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    const Qt::WindowFlags flags = window->windowFlags();
    QVERIFY(flags & Qt::WindowStaysOnTopHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(QApplication::focusWidget(), control("cmdClose"));
    QCOMPARE(unnamedForScreenReaders(window), QStringList());

    // Tab takes the designed order, then the link, and round again;
    // Shift+Tab from Exit reaches the link.
    QStringList order;
    for (int i = 0; i < 9; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(window->windowHandle(), Qt::Key_Tab);
    }
    QCOMPARE(order,
             QStringList({"cmdClose", "Check1", "txtName", "cmdSubmit", "txtEmail",
                          "txtFriendEmail", "txtFriendName", "txtMessage", "lblGoToHome"}));
    QCOMPARE(QApplication::focusWidget(), control("cmdClose"));
    QTest::keyClick(window->windowHandle(), Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), control("lblGoToHome"));

    // Every fixed text fits the box it was designed for.
    for (const char *name : {"Label2", "Label3"})
        QCOMPARE(cutOff(control<QLabel>(name)), QString());
    const QWidget *link = control("lblGoToHome");
    QVERIFY(link->geometry().right() < control("Frame6")->width());
    QVERIFY(control<QLabel>("Label1")->geometry().right() < window->width());

    // With the first appeal drawn, as designed to the pixel.
    feedRandom({0.0f});
    window = openWindow<SupportWindow>();
    COMPARE_WITH_REFERENCE(window, QStringLiteral("support"));
}

// The window is read as a dialog is; the home-page button is a push button
// and never a check box; each referral field is named by its prompt, typed
// into or not.
void TestSupport::screenReadersHearEachControl_data()
{
    columns<QString, int, QString, QString>("name", "role", "heardName", "actions");
    const QString field = QStringLiteral("SetFocus");
    const auto row = [](const char *name, QAccessible::Role role, const char *heardName,
                        const QString &actions) {
        ::row(name, QString::fromLatin1(name), int(role), QString::fromUtf8(heardName), actions);
    };
    row("SupportWindow", QAccessible::Dialog, ZEL_WINDOW_TITLE, {});
    row("Picture1", QAccessible::Graphic, "Zel Orvalis icon", {});
    row("Check1", QAccessible::Button, "Click Here To Visit Velmora Now",
        QStringLiteral("Press,SetFocus"));
    row("txtName", QAccessible::EditableText, "Your Name", field);
    row("txtEmail", QAccessible::EditableText, "Your Email Address", field);
    row("txtFriendName", QAccessible::EditableText, "Friend's Name", field);
    row("txtFriendEmail", QAccessible::EditableText, "Friend's Email Address", field);
    row("txtMessage", QAccessible::EditableText, "Your Message", field);
    row("Frame6", QAccessible::Grouping, "Download Velmora Softwares", {});
    row("lblGoToHome", QAccessible::Link, "Click Here To Visit Velmora Softwares",
        QStringLiteral("Press,SetFocus"));
}

void TestSupport::screenReadersHearEachControl()
{
    QFETCH(QString, name);
    QFETCH(int, role);
    QFETCH(QString, heardName);
    QFETCH(QString, actions);

    QWidget *heardControl
        = name == window->objectName() ? window : control(name.toLatin1().constData());
    COMPARE_HEARD(heardControl, QAccessible::Role(role), heardName, true, actions);
    // Typed into, a field is still named by its prompt.
    if (heardControl->focusPolicy() != Qt::NoFocus && heardControl != control("Check1")) {
        heardControl->setFocus();
        QTest::keyClicks(heardControl, QStringLiteral("x"));
        COMPARE_HEARD(heardControl, QAccessible::Role(role), heardName, true, actions);
    }
}

void TestSupport::libraryText()
{
    const QString text = control<QLabel>("Label3")->text();
    const QString gap = QString(61, QLatin1Char(' '));
    QVERIFY(text.contains(QStringLiteral("interests.") + gap + QStringLiteral("All the programs")));
    QVERIFY(!text.contains(gap + QLatin1Char(' ')));
    QVERIFY(text.contains(QStringLiteral("the world\u2019s largest resource")));
    QVERIFY(text.endsWith(QStringLiteral("friends and family. ")));
    QVERIFY(text.startsWith(QStringLiteral("If you have enjoyed this software")));
}

void TestSupport::checkBoxOpensHomeAndStaysReleased()
{
    auto *check = control<QPushButton>("Check1");
    QVERIFY(!check->isCheckable()); // nothing to uncheck: a plain push button
    QCOMPARE(check->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(check, Qt::LeftButton);
    QVERIFY(!check->isChecked());
    QCOMPARE(opened, QStringList {linkAddress(LinkTarget::HomePage)});

    // A screen reader's press does the same.
    QAccessible::queryAccessibleInterface(check)->actionInterface()->doAction(
        QAccessibleActionInterface::pressAction());
    QTRY_COMPARE(opened, QStringList(2, linkAddress(LinkTarget::HomePage)));
    QVERIFY(!check->isChecked());

    check->setFocus();
    QTest::keyClick(check, Qt::Key_Space);
    QTest::mouseClick(check, Qt::LeftButton);
    QVERIFY(!check->isChecked());
    QCOMPARE(opened, QStringList(4, linkAddress(LinkTarget::HomePage)));
}

void TestSupport::libraryLinkOpensTheLibrary()
{
    const QString appeal = control<QLabel>("Label2")->text();
    clickOver(control("lblGoToHome"));
    QCOMPARE(opened, QStringList {linkAddress(LinkTarget::SoftwareLibraryPage)});
    QCOMPARE(control<QLabel>("Label2")->text(), appeal);
    QVERIFY(window->isVisible());
}

void TestSupport::enterPressesOnlyTheFocusedButton()
{
    line("txtName")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(line("txtName"), Qt::Key_Return);
    QVERIFY(boxes.isEmpty());

    // Check1 is a check box drawn as a button: Enter is not one of its presses.
    control("Check1")->setFocus();
    QTest::keyClick(control("Check1"), Qt::Key_Return);
    QVERIFY(opened.isEmpty());
    QVERIFY(boxes.isEmpty());

    control("cmdSubmit")->setFocus();
    QTest::keyClick(control("cmdSubmit"), Qt::Key_Return);
    QCOMPARE(boxTexts(), QStringList {"Please Enter Proper Email Address"});
}

void TestSupport::escapeDoesNothing()
{
    QSignalSpy exits(window, &SupportWindow::exitRequested);
    QTest::keyClick(window, Qt::Key_Escape);
    QTest::keyClick(control("txtName"), Qt::Key_Escape);
    QCOMPARE(exits.size(), 0);
    QVERIFY(window->isVisible());
    QVERIFY(boxes.isEmpty() && opened.isEmpty());
}

// Where the focus is after each thing a user does, by mouse and by keyboard:
// a button pressed with the mouse takes it, a refused referral or a refused
// space leaves it where it was, a link label clicked never takes it, and a
// focused link opened by a key keeps it.
void TestSupport::focusAfterEachAction_data()
{
    // Focused before; click, key (into the focused control) or type; what is
    // clicked, or the key or text; focused after.
    columns<QString, QString, QString, QString>("from", "action", "target", "to");
    row("Check1 clicked", "txtName", "click", "Check1", "Check1");
    row("Check1 by Space", "Check1", "key", "Space", "Check1");
    row("referral refused, clicked", "txtName", "click", "cmdSubmit", "cmdSubmit");
    row("referral refused, by Return", "cmdSubmit", "key", "Return", "cmdSubmit");
    row("referral refused, by Alt+N", "txtFriendName", "key", "Alt+N", "txtFriendName");
    row("space refused", "txtEmail", "type", " ", "txtEmail");
    row("library link clicked", "txtName", "click", "lblGoToHome", "txtName");
    row("library link by Return", "lblGoToHome", "key", "Return", "lblGoToHome");
    row("library link by Space", "lblGoToHome", "key", "Space", "lblGoToHome");
    row("Exit's neighbour by Tab", "cmdClose", "key", "Tab", "Check1");
}

void TestSupport::focusAfterEachAction()
{
    QFETCH(QString, from);
    QFETCH(QString, action);
    QFETCH(QString, target);
    QFETCH(QString, to);
    control(qPrintable(from))->setFocus();
    if (action == QLatin1String("click")) {
        QTest::mouseClick(control(qPrintable(target)), Qt::LeftButton);
    } else if (action == QLatin1String("key")) {
        const QKeySequence key = QKeySequence::fromString(target);
        QTest::keySequence(QApplication::focusWidget(), key);
    } else {
        QTest::keyClicks(QApplication::focusWidget(), target);
    }
    QTest::qWait(300); // an access key presses its button visibly, for 100 ms
    QCOMPARE(QApplication::focusWidget()->objectName(), to);
    // Each did what it does (a box or an address), but Tab.
    QCOMPARE(boxes.size() + opened.size() == 1, target != QLatin1String("Tab"));
}

QTEST_MAIN(TestSupport)
#include "tst_support.moc"
