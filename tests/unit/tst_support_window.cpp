#include "links/link_target.h"
#include "oracle/random_source.h"
#include "reference_image.h"
#include "support_test.h"

#include <QAccessible>
#include <QLabel>
#include <QSignalSpy>

#include <array>
#include <cmath>
#include <random>

using namespace zel;

// The support window's look, its appeal, its links and its keyboard.
class TestSupportWindow : public SupportTest
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { drawAsDesigned(); }

    void appealChoice_data();
    void appealChoice();
    void appealsComeUpEvenly();
    void windowDesign();
    void checkBoxOpensHomeAndStaysReleased();
    void libraryLinkOpensTheLibrary();
    void focusAfterEachAction_data();
    void focusAfterEachAction();
};

void TestSupportWindow::appealChoice_data()
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

void TestSupportWindow::appealChoice()
{
    QFETCH(float, r);
    QFETCH(int, k);
    QCOMPARE(appealIndex(r), k);
    feedRandom({r});
    SupportWindow another;
    QCOMPARE(another.findChild<QLabel *>(QStringLiteral("Label2"))->text(), appealText(k));
    QVERIFY(!appealText(k).isEmpty());
}

void TestSupportWindow::appealsComeUpEvenly()
{
    std::mt19937 engine(7u);
    constexpr int draws = 100000;
    std::array<int, 4> counts {};
    for (int i = 0; i < draws; ++i)
        ++counts.at(appealIndex(oracle::randomFromBits(static_cast<std::uint32_t>(engine()))));
    for (int count : counts)
        QVERIFY2(std::abs(count - draws / 4) < draws / 100, qPrintable(QString::number(count)));
}

void TestSupportWindow::windowDesign()
{
    QCOMPARE(window->windowTitle(), QStringLiteral(ZEL_WINDOW_TITLE));
    QCOMPARE(window->size(), QSize(741, 315));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    const Qt::WindowFlags flags = window->windowFlags();
    QVERIFY(flags & Qt::WindowStaysOnTopHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));

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

void TestSupportWindow::checkBoxOpensHomeAndStaysReleased()
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

void TestSupportWindow::libraryLinkOpensTheLibrary()
{
    const QString appeal = control<QLabel>("Label2")->text();
    clickOver(control("lblGoToHome"));
    QCOMPARE(opened, QStringList {linkAddress(LinkTarget::SoftwareLibraryPage)});
    QCOMPARE(control<QLabel>("Label2")->text(), appeal);
    QVERIFY(window->isVisible());
}

// What a user does: clicks a control, presses a key in the focused one, or types there.
enum class Act { Click, Key, Type };

// Where the focus is after each thing a user does, by mouse and by keyboard:
// a button pressed with the mouse takes it, a refused referral or a refused
// space leaves it where it was, a link label clicked never takes it, and a
// focused link opened by a key keeps it. Return presses only a focused button
// (the home-page button is a check box drawn as one: not Return), and Escape
// ends nothing.
void TestSupportWindow::focusAfterEachAction_data()
{
    // Focused before; what the user does, and what is clicked, or the key or
    // text; focused after.
    columns<QString, Act, QString, QString>("from", "action", "target", "to");
    using enum Act;
    row("Check1 clicked", "txtName", Click, "Check1", "Check1");
    row("Check1 by Space", "Check1", Key, "Space", "Check1");
    row("referral refused, clicked", "txtName", Click, "cmdSubmit", "cmdSubmit");
    row("referral refused, by Return", "cmdSubmit", Key, "Return", "cmdSubmit");
    row("referral refused, by Alt+N", "txtFriendName", Key, "Alt+N", "txtFriendName");
    row("space refused", "txtEmail", Type, " ", "txtEmail");
    row("library link clicked", "txtName", Click, "lblGoToHome", "txtName");
    row("library link by Return", "lblGoToHome", Key, "Return", "lblGoToHome");
    row("library link by Space", "lblGoToHome", Key, "Space", "lblGoToHome");
    row("Exit's neighbour by Tab", "cmdClose", Key, "Tab", "Check1");
    row("Return in a field", "txtName", Key, "Return", "txtName");
    row("Return on Check1", "Check1", Key, "Return", "Check1");
    row("Escape in a field", "txtName", Key, "Escape", "txtName");
    row("Escape on Exit", "cmdClose", Key, "Escape", "cmdClose");
}

void TestSupportWindow::focusAfterEachAction()
{
    QFETCH(QString, from);
    QFETCH(Act, action);
    QFETCH(QString, target);
    QFETCH(QString, to);
    control(qPrintable(from))->setFocus();
    QSignalSpy exits(window, &SupportWindow::exitRequested);
    if (action == Act::Click)
        QTest::mouseClick(control(qPrintable(target)), Qt::LeftButton);
    else if (action == Act::Key)
        QTest::keySequence(QApplication::focusWidget(), QKeySequence::fromString(target));
    else
        QTest::keyClicks(QApplication::focusWidget(), target);
    QTest::qWait(300); // an access key presses its button visibly, for 100 ms
    QCOMPARE(QApplication::focusWidget()->objectName(), to);
    // Each did what it does (a box or an address), but Tab, Escape and
    // Return where no button has the focus.
    const bool acts = target != QLatin1String("Tab") && target != QLatin1String("Escape")
        && (target != QLatin1String("Return") || to.startsWith(u"cmd") || to.startsWith(u"lbl"));
    QCOMPARE(boxes.size() + opened.size() == 1, acts);
    QVERIFY(exits.isEmpty());
}

QTEST_MAIN(TestSupportWindow)
#include "tst_support_window.moc"
