#include "links/link_target.h"
#include "support/referral.h"
#include "support_test.h"

#include <QClipboard>
#include <QPlainTextEdit>
#include <QUrl>
#include <QUrlQuery>

#include <bit>

using namespace zel;

namespace {

// The product's site as the last value of a request: ":" and "/" encoded.
QString encodedProductSite()
{
    QString site = linkAddress(LinkTarget::ProductSite);
    site.replace(QLatin1String(":"), QLatin1String("%3A"));
    return site.replace(QLatin1String("/"), QLatin1String("%2F"));
}

} // namespace

// The referral: which values it refuses, with which message, and the
// request it opens for those it accepts.
class TestReferral : public SupportTest
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { drawAsDesigned(); }

    void referralChecks_data();
    void referralChecks();
    void firstRefusalForEveryPromptLeft_data();
    void firstRefusalForEveryPromptLeft();
    void composedAddress_data();
    void composedAddress();
    void hiddenMessageEmptiedFailsEveryPress();
    void refusalIsARealBoxOverTheWindow();
    void oddValuesArriveIntact_data();
    void oddValuesArriveIntact();
    void longestReferralIsSentWhole();
};

// One row per refusal and per pass, through the window's own press handler:
// the values are trimmed, the checks run in order, and at most one message shows.
void TestReferral::referralChecks_data()
{
    columns<QString, QString, QString, QString, QString>("name", "email", "friendName",
                                                         "friendEmail", "refusal");

    const QString distinct = QStringLiteral("Please Enter Distinct Email Addresses");
    const QString proper = QStringLiteral("Please Enter Proper Email Address");
    const QString noName = QStringLiteral("Please Enter Your Name");
    const QString noFriend = QStringLiteral("Please Enter Your Friend's Name");
    const QString none; // a pass: the request opens

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
    row("passes", "Ann", "a@x.org", "Bo", "b@y.org", none);
    row("lower-case prompt is a name", "your name", "a@x.org", "Bo", "b@y.org", none);
    row("emails differ only in case", "Ann", "A@x.org", "Bo", "a@x.org", none);
    row("dot before at passes", "Ann", "a.b@x", "Bo", "b@y.org", none);
}

void TestReferral::referralChecks()
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
void TestReferral::firstRefusalForEveryPromptLeft_data()
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

void TestReferral::firstRefusalForEveryPromptLeft()
{
    QFETCH(QStringList, values);
    QFETCH(QString, refusal);
    fill({values[0], values[1], values[3], values[4]});
    control<QPlainTextEdit>("txtMessage")->setPlainText(values[2]);
    submit();
    QCOMPARE(boxTexts(), refusal.isEmpty() ? QStringList() : QStringList {refusal});
    QCOMPARE(opened.size(), refusal.isEmpty() ? 1 : 0);
}

void TestReferral::composedAddress_data()
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

void TestReferral::composedAddress()
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

// Tabbing into the unseen message field, emptying it and leaving it puts the
// bare prompt back, which no press accepts until the field holds other text.
void TestReferral::hiddenMessageEmptiedFailsEveryPress()
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

void TestReferral::refusalIsARealBoxOverTheWindow()
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
void TestReferral::oddValuesArriveIntact_data()
{
    columns<QString, QString, QString>("name", "message", "friendName");

    row("query characters", "a&taf2=x#frag", "100% = 1/1 + 0?", "B&B");
    row("line breaks and controls", "Ann\tLee", "Line one\r\nLine two\r\n\x01", "\x7f");
    row("other scripts", QStringLiteral("Zoë Ørsted"), QStringLiteral("Grüße 日本 😀"),
        QStringLiteral("Łukasz"));
    row("lone surrogate becomes U+FFFD", QString(QChar(0xDC00)), QStringLiteral("m"),
        QStringLiteral("f"));
}

void TestReferral::oddValuesArriveIntact()
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

// Every field at its limit: the longest request reaches the browser whole.
// A Windows command line holds 32,767 characters, of which the browser's own
// path (up to 260) and options need some; Linux takes 128 KiB for one argument.
void TestReferral::longestReferralIsSentWhole()
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

QTEST_MAIN(TestReferral)
#include "tst_referral.moc"
