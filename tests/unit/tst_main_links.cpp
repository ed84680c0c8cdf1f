#include "links/link_target.h"
#include "main_window/brand_choice.h"
#include "main_window_test.h"
#include "ui/fonts.h"
#include "ui/look.h"

#include <QAccessible>
#include <QAction>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QSignalSpy>

#include <cmath>

using namespace zel;

// The main window's menu and its links: the brand strip, the forum link and
// every command that opens a page, About or the way out.
class TestMainLinks : public MainWindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { drawAsDesigned(); }

    void brandNumberFor_data();
    void brandNumberFor();
    void brandStripShowsOneLabel_data() { brandFrontRows(); }
    void brandStripShowsOneLabel();
    void commandsOpenTheirDestination_data();
    void commandsOpenTheirDestination();
    void menuBarLeavesTheClientAreaWhole();
    void aboutIsModal_data();
    void aboutIsModal();
    void exitClosesLikeTheCloseButton_data();
    void exitClosesLikeTheCloseButton();
};

// n = 6 r + 1 rounded half to even: n passes from k to k + 1 at r = (2k - 1) / 12,
// and the two of those borders that are floats tie to the even n. An odd n puts
// the co-branding in front, an even n the full branding, and n 7 neither.
void TestMainLinks::brandNumberFor_data()
{
    columns<float, int, int>("r", "n", "front");
    const auto row = [](const QByteArray &name, float r, int n) {
        const BrandFront front = n == 7 ? BrandFront::Unchanged
            : n % 2                     ? BrandFront::CoBrand
                                        : BrandFront::FullBrand;
        ::row(name.constData(), r, n, int(front));
    };
    const char *const borders[] = {"1/12", "1/4", "5/12", "7/12", "3/4", "11/12"};
    for (int k = 1; k <= 6; ++k) {
        const double border = (2 * k - 1) / 12.0;
        for (const float toward : {0.0f, 1.0f}) {
            // The float nearest the border on this side whose 6 r + 1 lies past the border's.
            float r = static_cast<float>(border);
            while (toward < border ? static_cast<double>(r) * 6 + 1 >= border * 6 + 1
                                   : static_cast<double>(r) * 6 + 1 <= border * 6 + 1)
                r = std::nextafter(r, toward);
            const int n = toward < border ? k : k + 1;
            row(QByteArray(toward < border ? "below " : "above ") + borders[k - 1] + ": n "
                    + QByteArray::number(n),
                r, n);
        }
    }
    row("r 0: n 1", 0.0f, 1);
    row("exactly 1/4 ties to 2", 0.25f, 2);
    row("exactly 3/4 ties to 6", 0.75f, 6);
    row("highest r: n 7", std::nextafter(1.0f, 0.0f), 7);
}

void TestMainLinks::brandNumberFor()
{
    QFETCH(float, r);
    QFETCH(int, n);
    QFETCH(int, front);
    QCOMPARE(zel::brandNumberFor(r), n);
    QCOMPARE(int(brandFrontFor(r)), front);
}

void TestMainLinks::brandStripShowsOneLabel()
{
    QFETCH(float, r);
    QFETCH(QString, front);
    feedRandom({r});
    window->chooseBrandLabel();
    const QString other = front == QLatin1String("lblCobrand") ? QStringLiteral("lblFullBrand")
                                                               : QStringLiteral("lblCobrand");
    auto *shown = window->findChild<QLabel *>(front);
    auto *covered = window->findChild<QLabel *>(other);
    QVERIFY(inFront(shown, covered));
    QCOMPARE(shown->geometry(), covered->geometry());
    QVERIFY(shown->autoFillBackground()); // opaque: it hides the other completely
    // Tab reaches the label in front after the forum link, never the covered one.
    control("cmdBack")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), shown);
    // At the strip's foot, under the link, a click opens nothing; on the
    // strip, it opens the page of the label in front.
    const QWidget *strip = shown->parentWidget();
    clickOver(strip, QPoint(strip->width() / 2, strip->height() - 3));
    QVERIFY(opened.isEmpty());
    clickOver(strip);
    QCOMPARE(opened,
             QStringList {linkAddress(front == QLatin1String("lblCobrand")
                                          ? LinkTarget::CoBrandPage
                                          : LinkTarget::FullBrandPage)});
}

// Every link command opens its one destination, once per use, and leaves the
// window as it found it, whichever panel is in front.
void TestMainLinks::commandsOpenTheirDestination_data()
{
    columns<QString, LinkTarget, bool>("trigger", "target", "startReading");

    const QList<std::pair<const char *, LinkTarget>> commands {
        {"mnuOnline", LinkTarget::ProductHelpPage},
        {"mnuVisit", LinkTarget::HomePage},
        {"mnuUpdate", LinkTarget::ProductDownloadPage},
        {"mnuDonate", LinkTarget::DonatePage},
        {"Label14", LinkTarget::HomePage},
    };
    for (const auto &[trigger, target] : commands) {
        for (bool startReading : {false, true}) {
            QTest::addRow("%s %s", trigger, startReading ? "reading" : "asking")
                << QString::fromLatin1(trigger) << target << startReading;
        }
    }
}

void TestMainLinks::commandsOpenTheirDestination()
{
    QFETCH(QString, trigger);
    QFETCH(LinkTarget, target);
    QFETCH(bool, startReading);

    feedRandom({0.5f});
    QTest::keyClicks(control("txtQuestion"), QStringLiteral("Is it time?"));
    if (startReading)
        proceed();
    const QWidget *focusBefore = QApplication::focusWidget();

    for (int use = 1; use <= 2; ++use) {
        if (auto *action = window->findChild<QAction *>(trigger))
            action->trigger();
        else
            clickOver(control(qPrintable(trigger))); // to whatever lies there
        QCOMPARE(opened, QStringList(use, linkAddress(target)));
    }
    QCOMPARE(reading(), startReading);
    QCOMPARE(question(), QStringLiteral("Is it time?"));
    QCOMPARE(QApplication::focusWidget(), focusBefore);
}

// The menus and their entries are the main window's tree's, their access keys
// the end-to-end tests'. The bar sits above the client area, which keeps its
// size.
void TestMainLinks::menuBarLeavesTheClientAreaWhole()
{
    QCOMPARE(window->centralWidget()->size(), QSize(562, 354));
    QCOMPARE(window->height(), window->menuBar()->height() + 354);
    // A taller menu bar (the desktop's font grown while the program runs)
    // leaves the client area whole below it.
    const int shortBar = window->menuBar()->height();
    window->menuBar()->setFont(look::verdana(24));
    QTRY_VERIFY(window->menuBar()->height() > shortBar);
    QCOMPARE(window->height(), window->menuBar()->height() + 354);
}

// However it is chosen, the press gets its answer first, then About opens,
// once however often it was pressed; closed, it opens again the same way.
void TestMainLinks::aboutIsModal_data()
{
    columns<QString, int>("how", "presses");
    row("access keys", "keys", 1);
    row("mouse", "mouse", 1);
    row("screen reader's press", "screen reader", 1);
    row("screen reader's press, 10 times quickly", "screen reader", 10);
}

void TestMainLinks::aboutIsModal()
{
    QFETCH(QString, how);
    QFETCH(int, presses);
    feedRandom({0.5f});
    proceed();
    bool answered = false;
    QStringList seen;
    auto *help = control<QMenu>("mnuHelp");
    auto *entry = control<QAction>("mnuAbout");
    for (int opening = 1; opening <= 2; ++opening) {
        answered = false;
        window->activateWindow(); // given back as the user sees it when About closes
        QVERIFY(QTest::qWaitForWindowActive(window));
        whenModalIsUp([&](QWidget *modal) {
            auto *about = qobject_cast<QDialog *>(modal);
            seen << about->windowTitle() << (answered ? "answered" : "waiting");
            // Input aimed at the main window goes nowhere while the About window is up.
            QTest::keyClick(window->windowHandle(), Qt::Key_D, Qt::AltModifier);
            clickOver(control("Label14"));
            QTest::keyClick(window->windowHandle(), Qt::Key_B, Qt::AltModifier);
            // An access key that got through would hold its button down now.
            seen << QString::number(opened.size())
                    + (control<QPushButton>("cmdBack")->isDown() ? "down" : "");
            QTest::keyClick(about, Qt::Key_Escape);
            // Any other About open by now would be a second one: counted, then closed.
            const QList<QDialog *> others = window->findChildren<QDialog *>();
            seen << QString::number(std::count_if(others.begin(), others.end(), [](QDialog *other) {
                return other->isVisible() && (other->reject(), true);
            }));
        });
        if (how == QLatin1String("keys")) {
            QTest::keyClick(window, Qt::Key_H, Qt::AltModifier);
            QTRY_VERIFY(help->isVisible());
            QTest::keyClick(help, Qt::Key_A);
        } else if (how == QLatin1String("mouse")) {
            QTest::mouseClick(window->menuBar(), Qt::LeftButton, {},
                              window->menuBar()->actionGeometry(help->menuAction()).center());
            QTRY_VERIFY(help->isVisible());
            QTest::mouseClick(help, Qt::LeftButton, {}, help->actionGeometry(entry).center());
        } else {
            QAccessibleInterface *menu = QAccessible::queryAccessibleInterface(help);
            for (int i = 0; i < menu->childCount(); ++i) {
                for (int press = 0; press < presses && menu->child(i)->object() == entry; ++press)
                    menu->child(i)->actionInterface()->doAction(
                        QAccessibleActionInterface::pressAction());
            }
        }
        answered = true;
        QTRY_COMPARE(seen.size(), 4 * opening);
        QCOMPARE(seen.mid(4 * (opening - 1)),
                 QStringList({ZEL_WINDOW_TITLE, "answered", "0", "0"}));
        QTRY_VERIFY(!QApplication::activeModalWidget());
    }
    QVERIFY(opened.isEmpty());
    QVERIFY(reading());
    QCOMPARE(shownName(), QStringLiteral("USIL"));
}

void TestMainLinks::exitClosesLikeTheCloseButton_data()
{
    columns<bool, bool>("startReading", "byExit");
    row("Exit while asking", false, true);
    row("Exit while reading", true, true);
    row("close button while asking", false, false);
    row("close button while reading", true, false);
}

void TestMainLinks::exitClosesLikeTheCloseButton()
{
    QFETCH(bool, startReading);
    QFETCH(bool, byExit);
    if (startReading)
        proceed();
    QPointer<MainWindow> guard = window;
    window->setAttribute(Qt::WA_DeleteOnClose);
    QSignalSpy closing(window, &MainWindow::closing);

    if (byExit)
        control<QAction>("mnuExit")->trigger();
    else
        window->close();

    QVERIFY(opened.isEmpty());
    QCOMPARE(closing.size(), 1); // start-up opens the support window on this
    QTRY_VERIFY(guard.isNull());
}

QTEST_MAIN(TestMainLinks)
#include "tst_main_links.moc"
