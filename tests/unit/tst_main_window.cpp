#include "accessibility_check.h"
#include "data_row.h"
#include "fixture.h"
#include "links/link_target.h"
#include "main_window/brand_choice.h"
#include "main_window/main_window.h"
#include "oracle/oracle_table.h"
#include "reference_image.h"
#include "ui/announcer.h"
#include "ui/look.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/qpa/qplatformaccessibility.h>
#include <QtGui/qpa/qplatformintegration.h>
#include <QtTest/qtestaccessible.h>

#include <cmath>

using namespace zel;

namespace {

// Qt tells only a screen reader that listens; the test stands in for one.
void listenAsScreenReader(bool listening)
{
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(listening);
}

// The widgets a screen reader was told of, in order, by events of `type`
// since the events were last cleared.
QStringList told(QAccessible::Event type)
{
    QStringList names;
    for (QAccessibleEvent *event : QTestAccessibility::events()) {
        if (event->type() == type && event->object()->isWidgetType())
            names << event->object()->objectName();
    }
    return names;
}

// Of two siblings, the one raised last lies in front.
bool inFront(const QWidget *widget, const QWidget *sibling)
{
    const QObjectList &order = widget->parentWidget()->children();
    return order.indexOf(widget) > order.indexOf(sibling);
}

// Records what the reading labels hold at the moment the result panel moves.
class RaiseWatcher final : public QObject
{
public:
    QStringList seen;
    const QLabel *name = nullptr;
    const QLabel *text = nullptr;

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::ZOrderChange)
            seen << name->text() + QLatin1Char('|') + text->text();
        return false;
    }
};

} // namespace

class TestMainWindow : public Fixture
{
    Q_OBJECT

private:
    MainWindow *window = nullptr;

    bool reading() const { return inFront(control("fraResult"), control("fraMain")); }
    QString question() const { return control<QLineEdit>("txtQuestion")->text(); }
    QString shownName() const { return control<QLabel>("lblResult_0")->text(); }
    void proceed() const { control<QPushButton>("cmdProceed")->click(); }
    void back() const { control<QPushButton>("cmdBack")->click(); }

private Q_SLOTS:
    void initTestCase() { drawAsDesigned(); }
    void init()
    {
        Fixture::init();
        window = openWindow<MainWindow>();
    }

    void windowFrame();
    void textsFitTheirBoxes_data();
    void textsFitTheirBoxes();
    void startsAsking();
    void readingShowsTheDrawnEntry_data();
    void readingShowsTheDrawnEntry();
    void labelsAreSetBeforeTheResultPanelComesForward();
    void secondReadingReplacesTheFirst();
    void backEmptiesTheQuestion();
    void accessKeysWorkInBothStates_data();
    void accessKeysWorkInBothStates();
    void enterAndEscapeDoNothing_data();
    void enterAndEscapeDoNothing();
    void tabOrder();
    void brandNumberFor_data();
    void brandNumberFor();
    void brandStripShowsOneLabel_data();
    void brandStripShowsOneLabel();
    void coBrandCaptionShowsOneAmpersand();
    void linkLabelsLookAlike();
    void screenReadersCanNameEveryControl();
    void screenReadersHearOnlyThePanelInFront_data();
    void screenReadersHearOnlyThePanelInFront();
    void screenReadersHearEachReadingAndTheWayBack();
    void pasteAtTheLimitKeepsTheWindowAnswering();
    void oddQuestions_data();
    void oddQuestions();
    void tenThousandReadingsKeepMemoryFlat();

    void commandsOpenTheirDestination_data();
    void commandsOpenTheirDestination();
    void brandStripClickReachesTheLabelInFront_data();
    void brandStripClickReachesTheLabelInFront();
    void menuBar();
    void aboutIsModal_data();
    void aboutIsModal();
    void exitClosesLikeTheCloseButton_data();
    void exitClosesLikeTheCloseButton();
};

void TestMainWindow::windowFrame()
{
    QCOMPARE(window->windowTitle(), QStringLiteral(ZEL_WINDOW_TITLE));
    QCOMPARE(window->centralWidget()->size(), QSize(562, 354));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    const Qt::WindowFlags flags = window->windowFlags();
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QCOMPARE(window->centralWidget()->palette().color(QPalette::Window), QColor(Qt::white));
    QVERIFY(!control<QLabel>("Picture1_0")->pixmap().isNull());
    QCOMPARE(control<QLabel>("Picture1_0")->pixmap().deviceIndependentSize(), QSizeF(157, 150));

    // Asking, then with USIL drawn, as designed to the pixel.
    QTest::keyClicks(control("txtQuestion"), QStringLiteral("Will my journey go well?"));
    COMPARE_WITH_REFERENCE(window, QStringLiteral("main-asking"));
    feedRandom({0.5f});
    QTest::keyClick(window, Qt::Key_O, Qt::AltModifier);
    QTRY_VERIFY(reading()); // the access key presses its button visibly first
    COMPARE_WITH_REFERENCE(window, QStringLiteral("main-reading"));
}

// With the stand-in fonts every design text must still fit the box it was
// drawn for: nothing may be cut off.
void TestMainWindow::textsFitTheirBoxes_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"Label14", "lblLabel_0", "lblCobrand", "lblFullBrand"})
        row(name, QString::fromLatin1(name));
}

void TestMainWindow::textsFitTheirBoxes()
{
    QFETCH(QString, name);
    QCOMPARE(cutOff(control<QLabel>(qPrintable(name))), QString());
}

void TestMainWindow::startsAsking()
{
    QCOMPARE(window->objectName(), QStringLiteral("frmMain"));
    QVERIFY(!reading());
    QVERIFY(inFront(control("lblFullBrand"), control("lblCobrand")));
    QCOMPARE(QApplication::focusWidget(), control("txtQuestion"));
    QVERIFY(question().isEmpty());
    // Both panels and their controls stay present and enabled whichever is in front.
    for (const char *name : {"fraMain", "fraResult", "cmdProceed", "cmdBack", "txtQuestion"}) {
        QVERIFY(control(name)->isVisible());
        QVERIFY(control(name)->isEnabled());
    }
}

void TestMainWindow::readingShowsTheDrawnEntry_data()
{
    columns<float, QString, int>("r", "question", "index");

    row("empty question, r 0", 0.0f, QString(), 0);
    row("tie goes to USIL", 0.5f, QStringLiteral("Will it rain?"), 12);
    row("blank question", 0.3f, QStringLiteral("   "), 8);
    row("TURAN has QUTUM's reading", 0.96f, QStringLiteral("love?"), 24);
    row("highest r is TURMS", std::nextafter(1.0f, 0.0f), QStringLiteral("x"), 25);
}

void TestMainWindow::readingShowsTheDrawnEntry()
{
    QFETCH(float, r);
    QFETCH(QString, question);
    QFETCH(int, index);
    feedRandom({r});

    auto *field = control<QLineEdit>("txtQuestion");
    QTest::keyClicks(field, question);
    // With the mouse, as a user does: the button takes the focus as it is
    // pressed, and the reading hands it back to the question field.
    QTest::mouseClick(control("cmdProceed"), Qt::LeftButton);

    const auto &entry = oracle::entryAt(static_cast<std::int16_t>(index));
    QCOMPARE(shownName(), QString::fromUtf8(entry.name.data(), entry.name.size()));
    QCOMPARE(control<QLabel>("lblResult_1")->text(),
             QString::fromStdString(oracle::displayedText(entry)));
    // The name label grows to its text so no name is cut off.
    auto *name = control<QLabel>("lblResult_0");
    QVERIFY(name->width() >= name->fontMetrics().horizontalAdvance(name->text()));
    QCOMPARE(name->pos(), QPoint(192, 32));
    QVERIFY(reading());
    QCOMPARE(QApplication::focusWidget(), field);
    QCOMPARE(this->question(), question);
}

void TestMainWindow::labelsAreSetBeforeTheResultPanelComesForward()
{
    feedRandom({0.0f});
    RaiseWatcher watcher;
    watcher.name = control<QLabel>("lblResult_0");
    watcher.text = control<QLabel>("lblResult_1");
    control("fraResult")->installEventFilter(&watcher);

    proceed();

    QCOMPARE(watcher.seen.size(), 1);
    QVERIFY2(watcher.seen.first().startsWith(QStringLiteral("TINIA|Supreme God of the Etruscans.")),
             qPrintable(watcher.seen.first()));
}

void TestMainWindow::secondReadingReplacesTheFirst()
{
    feedRandom({0.0f, 0.5f});
    proceed();
    QCOMPARE(shownName(), QStringLiteral("TINIA"));
    proceed();
    QCOMPARE(shownName(), QStringLiteral("USIL"));
    QVERIFY(
        control<QLabel>("lblResult_1")->text().startsWith(QStringLiteral("Deity of the Sun.\r\n")));
    QVERIFY(reading());
}

void TestMainWindow::backEmptiesTheQuestion()
{
    feedRandom({0.5f});
    QTest::keyClicks(control("txtQuestion"), QStringLiteral("Shall I travel?"));
    proceed();
    QCOMPARE(question(), QStringLiteral("Shall I travel?"));

    // With the mouse, as a user does: the button takes the focus as it is
    // pressed, and going back hands it to the question field.
    QTest::mouseClick(control("cmdBack"), Qt::LeftButton);

    QVERIFY(!reading());
    QVERIFY(question().isEmpty());
    QCOMPARE(QApplication::focusWidget(), control("txtQuestion"));
    // Going back keeps the last reading; the next one replaces it.
    QCOMPARE(shownName(), QStringLiteral("USIL"));
}

// A covered button keeps its access key.
void TestMainWindow::accessKeysWorkInBothStates_data()
{
    columns<bool, int, bool, QString, QString>("startReading", "key", "endsReading", "name",
                                               "questionAfter");

    row("Alt+O while asking", false, int(Qt::Key_O), true, "USIL", "why?");
    row("Alt+O while reading", true, int(Qt::Key_O), true, "USIL", "why?");
    row("Alt+B while asking", false, int(Qt::Key_B), false, "TINIA", "");
    row("Alt+B while reading", true, int(Qt::Key_B), false, "TINIA", "");
}

void TestMainWindow::accessKeysWorkInBothStates()
{
    QFETCH(bool, startReading);
    QFETCH(int, key);
    QFETCH(bool, endsReading);
    QFETCH(QString, name);
    QFETCH(QString, questionAfter);

    feedRandom({0.0f, 0.5f});
    proceed(); // TINIA
    if (!startReading)
        back();
    QTest::keyClicks(control("txtQuestion"), QStringLiteral("why?"));

    QTest::keyClick(window, static_cast<Qt::Key>(key), Qt::AltModifier);

    // An access key presses its button visibly, so the click lands a moment later.
    QTRY_COMPARE(shownName(), name);
    QTRY_COMPARE(question(), questionAfter);
    QTRY_COMPARE(reading(), endsReading);
    QCOMPARE(QApplication::focusWidget(), control("txtQuestion"));
}

void TestMainWindow::enterAndEscapeDoNothing_data()
{
    columns<bool, int>("startReading", "key");
    row("Return while asking", false, int(Qt::Key_Return));
    row("Enter while asking", false, int(Qt::Key_Enter));
    row("Return while reading", true, int(Qt::Key_Return));
    row("Escape while reading", true, int(Qt::Key_Escape));
}

void TestMainWindow::enterAndEscapeDoNothing()
{
    QFETCH(bool, startReading);
    QFETCH(int, key);
    feedRandom({0.0f, 0.5f});
    if (startReading)
        proceed();
    const QString nameBefore = shownName();
    QTest::keyClicks(control("txtQuestion"), QStringLiteral("my question"));

    QTest::keyClick(control("txtQuestion"), static_cast<Qt::Key>(key));

    QCOMPARE(reading(), startReading);
    QCOMPARE(shownName(), nameBefore);
    QCOMPARE(question(), QStringLiteral("my question"));
}

void TestMainWindow::tabOrder()
{
    for (bool readingFirst : {false, true}) {
        if (readingFirst)
            proceed();
        control("txtQuestion")->setFocus();
        QStringList visited;
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        // The links after the designed controls; the covered brand label never.
        QCOMPARE(visited,
                 QStringList({"cmdProceed", "cmdBack", "Label14", "lblFullBrand", "txtQuestion"}));
    }
    // Return on a focused button presses it: Back (behind the two links),
    // then the reading button.
    for (const bool readingAfter : {false, true}) {
        for (int i = readingAfter ? 1 : 3; i > 0; --i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab,
                            readingAfter ? Qt::NoModifier : Qt::ShiftModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE(reading(), readingAfter);
    }
}

// n = 6 r + 1 rounded half to even; the borders lie at odd twelfths of r.
void TestMainWindow::brandNumberFor_data()
{
    columns<float, int, int>("r", "n", "front");

    const auto below = [](double border) {
        float r = static_cast<float>(border);
        while (static_cast<double>(r) * 6 + 1 >= border * 6 + 1)
            r = std::nextafter(r, 0.0f);
        return r;
    };
    const auto above = [](double border) {
        float r = static_cast<float>(border);
        while (static_cast<double>(r) * 6 + 1 <= border * 6 + 1)
            r = std::nextafter(r, 1.0f);
        return r;
    };
    const int co = int(BrandFront::CoBrand), full = int(BrandFront::FullBrand),
              same = int(BrandFront::Unchanged);
    row("r 0: n 1", 0.0f, 1, co);
    row("below 1/12: n 1", below(1.0 / 12), 1, co);
    row("above 1/12: n 2", above(1.0 / 12), 2, full);
    row("exactly 1/4 ties to 2", 0.25f, 2, full);
    row("above 1/4: n 3", above(0.25), 3, co);
    row("below 5/12: n 3", below(5.0 / 12), 3, co);
    row("above 5/12: n 4", above(5.0 / 12), 4, full);
    row("below 7/12: n 4", below(7.0 / 12), 4, full);
    row("above 7/12: n 5", above(7.0 / 12), 5, co);
    row("exactly 3/4 ties to 6", 0.75f, 6, full);
    row("below 3/4: n 5", below(0.75), 5, co);
    row("below 11/12: n 6", below(11.0 / 12), 6, full);
    row("above 11/12: n 7", above(11.0 / 12), 7, same);
    row("highest r: n 7", std::nextafter(1.0f, 0.0f), 7, same);
}

void TestMainWindow::brandNumberFor()
{
    QFETCH(float, r);
    QFETCH(int, n);
    QFETCH(int, front);
    QCOMPARE(zel::brandNumberFor(r), n);
    QCOMPARE(int(brandFrontFor(r)), front);
}

void TestMainWindow::brandStripShowsOneLabel_data()
{
    columns<float, QString>("r", "front");
    row("n 1 co-branding", 0.0f, "lblCobrand");
    row("n 2 full branding", 0.25f, "lblFullBrand");
    row("n 5 co-branding", 0.7f, "lblCobrand");
    row("n 7 keeps full branding", 0.99f, "lblFullBrand");
}

void TestMainWindow::brandStripShowsOneLabel()
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
    // At the strip's foot, under the link, a click opens nothing.
    const QWidget *strip = shown->parentWidget();
    clickOver(strip, QPoint(strip->width() / 2, strip->height() - 3));
    QVERIFY(opened.isEmpty());
}

void TestMainWindow::coBrandCaptionShowsOneAmpersand()
{
    const QString text = control<QLabel>("lblCobrand")->text();
    QVERIFY2(text.contains(
                 QStringLiteral("Put your site's name &  link here. See \"Help\" for details.")),
             qPrintable(text));
    QVERIFY(!text.contains(QStringLiteral("&&")));
}

void TestMainWindow::linkLabelsLookAlike()
{
    for (const char *name : {"Label14", "lblCobrand", "lblFullBrand"}) {
        auto *label = control<QLabel>(name);
        QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(label->font().underline());
    }
}

// Every link command opens its one destination, once per use, and leaves the
// window as it found it, whichever panel is in front.
void TestMainWindow::commandsOpenTheirDestination_data()
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

void TestMainWindow::commandsOpenTheirDestination()
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

void TestMainWindow::brandStripClickReachesTheLabelInFront_data()
{
    columns<float, LinkTarget>("r", "target");
    row("co-branding in front", 0.0f, LinkTarget::CoBrandPage);
    row("full branding in front", 0.25f, LinkTarget::FullBrandPage);
    row("full branding left in front", 0.99f, LinkTarget::FullBrandPage);
}

void TestMainWindow::brandStripClickReachesTheLabelInFront()
{
    QFETCH(float, r);
    QFETCH(LinkTarget, target);
    feedRandom({r});
    window->chooseBrandLabel();
    clickOver(control("fraFullBrand"));
    QCOMPARE(opened, QStringList {linkAddress(target)});
}

void TestMainWindow::menuBar()
{
    QStringList bar;
    for (const QAction *action : window->menuBar()->actions())
        bar << action->text() + (action->menu() ? QStringLiteral(">") : QString());
    QCOMPARE(bar, QStringList({"&File>", "&Help>", "&Donate"}));

    QStringList help;
    for (const QAction *action : control<QMenu>("mnuHelp")->actions())
        help << (action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(help,
             QStringList({"&Online Help", "&Visit Us Online", "-", "Check for Software &Update",
                          "-", "&About Software"}));
    for (const QAction *action : window->findChildren<QAction *>()) {
        QVERIFY(action->shortcut().isEmpty());
        QVERIFY(action->isEnabled() && !action->isChecked());
    }
    // The bar sits above the client area, which keeps its size.
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
// once however often it was pressed.
void TestMainWindow::aboutIsModal_data()
{
    columns<QString, int>("how", "presses");
    row("access keys", "keys", 1);
    row("mouse", "mouse", 1);
    row("screen reader's press", "screen reader", 1);
    row("screen reader's press, 10 times quickly", "screen reader", 10);
}

void TestMainWindow::aboutIsModal()
{
    QFETCH(QString, how);
    QFETCH(int, presses);
    feedRandom({0.5f});
    proceed();
    bool answered = false;
    QStringList seen;
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
    auto *help = control<QMenu>("mnuHelp");
    auto *entry = control<QAction>("mnuAbout");
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
    QTRY_COMPARE(seen.size(), 4);
    QCOMPARE(seen.at(0), QStringLiteral(ZEL_WINDOW_TITLE));
    QCOMPARE(seen.at(1), "answered");
    QCOMPARE(seen.at(2), QStringLiteral("0"));
    QCOMPARE(seen.at(3), QStringLiteral("0"));
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QVERIFY(opened.isEmpty());
    QVERIFY(reading());
    QCOMPARE(shownName(), QStringLiteral("USIL"));
}

void TestMainWindow::exitClosesLikeTheCloseButton_data()
{
    columns<bool, bool>("startReading", "byExit");
    row("Exit while asking", false, true);
    row("Exit while reading", true, true);
    row("close button while asking", false, false);
    row("close button while reading", true, false);
}

void TestMainWindow::exitClosesLikeTheCloseButton()
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

void TestMainWindow::screenReadersCanNameEveryControl()
{
    QCOMPARE(unnamedForScreenReaders(window), QStringList());
}

// Both panels stay visible for their access keys; a screen reader is told
// only of the one in front, and of everything in it.
void TestMainWindow::screenReadersHearOnlyThePanelInFront_data()
{
    columns<bool, QString, int, QString, bool, QString>("afterReading", "name", "role", "heardName",
                                                        "showing", "actions");
    const QString press = QStringLiteral("Press");
    const QString pressOrFocus = QStringLiteral("Press,SetFocus");
    const auto row
        = [](const char *title, bool afterReading, const char *name, QAccessible::Role role,
             const char *heardName, bool showing, const QString &actions) {
              ::row(title, afterReading, QString::fromLatin1(name), int(role),
                    QString::fromUtf8(heardName), showing, actions);
          };
    row("forum link", false, "Label14", QAccessible::Link,
        "The Most Popular Online Velmora Discussion Forum. Click Here To Visit Velmora Now.", true,
        pressOrFocus);
    row("question panel", false, "fraMain", QAccessible::Grouping, "Your question", true, {});
    row("client area, no unnamed group", false, "clientArea", QAccessible::Pane, "", true, {});
    row("brand strip, no unnamed group", false, "fraFullBrand", QAccessible::Pane, "", true, {});
    row("covered result panel", false, "fraResult", QAccessible::Grouping, "Zel Orvalis Results",
        false, {});
    row("reading button", false, "cmdProceed", QAccessible::Button, "Orvalis Reading", true,
        pressOrFocus);
    row("covered back button", false, "cmdBack", QAccessible::Button, "Back", false, pressOrFocus);
    row("picture", false, "Picture1_0", QAccessible::Graphic, "Oracle", true, {});
    row("covered picture", false, "Picture1_1", QAccessible::Graphic, "Oracle", false, {});
    row("prompt", false, "lblLabel_3", QAccessible::StaticText, "Enter Your Question", true, {});
    row("question field", false, "txtQuestion", QAccessible::EditableText, "Enter Your Question",
        true, QStringLiteral("SetFocus"));
    row("covered co-branding link", false, "lblCobrand", QAccessible::Link,
        "Co-brand this software for your site. Increase loyalty and traffic to your site. Put "
        "your site's name &  link here. See \"Help\" for details. Click Here for more info on "
        "co-branding.",
        false, press);
    row("covered question panel", true, "fraMain", QAccessible::Grouping, "Your question", false,
        {});
    row("covered reading button", true, "cmdProceed", QAccessible::Button, "Orvalis Reading", false,
        pressOrFocus);
    row("covered question field", true, "txtQuestion", QAccessible::EditableText,
        "Enter Your Question", false, QStringLiteral("SetFocus"));
    row("result panel", true, "fraResult", QAccessible::Grouping, "Zel Orvalis Results", true, {});
    row("back button", true, "cmdBack", QAccessible::Button, "Back", true, pressOrFocus);
    row("drawn name", true, "lblResult_0", QAccessible::StaticText, "TINIA", true, {});
}

void TestMainWindow::screenReadersHearOnlyThePanelInFront()
{
    QFETCH(bool, afterReading);
    QFETCH(QString, name);
    QFETCH(int, role);
    QFETCH(QString, heardName);
    QFETCH(bool, showing);
    QFETCH(QString, actions);

    feedRandom({0.0f});
    if (afterReading) {
        QTest::keyClick(window, Qt::Key_O, Qt::AltModifier);
        QTRY_VERIFY(reading()); // an access key's click lands a moment later
    }
    QWidget *shown = control(name.toLatin1().constData());
    QVERIFY(shown->isVisible()); // covered, never hidden
    COMPARE_HEARD(shown, QAccessible::Role(role), heardName, showing, actions);
}

// The focus stays in the covered question field, so each reading is told to
// a screen reader by itself, as a notification that shows, even the same
// entry twice in a row; so is the way back. The panels are told as they
// trade places.
void TestMainWindow::screenReadersHearEachReadingAndTheWayBack()
{
    feedRandom({0.0f, 0.0f});
    auto *announcer = window->findChild<accessibility::Announcer *>();
    QVERIFY(announcer);
    QAccessibleInterface *heard = QAccessible::queryAccessibleInterface(announcer);
    QVERIFY(heard);
    QCOMPARE(heard->role(), QAccessible::Notification);
    QVERIFY(heard->state().invisible); // nothing to tell yet
    QTestAccessibility::initialize();
    listenAsScreenReader(true);
    const auto deaf = qScopeGuard([] {
        listenAsScreenReader(false);
        QTestAccessibility::cleanup();
    });
    for (const char *key : {"reading", "same entry again"}) {
        QTestAccessibility::clearEvents();
        QTest::keyClick(window, Qt::Key_O, Qt::AltModifier);
        QTRY_COMPARE(heard->text(QAccessible::Name), QStringLiteral("TINIA"));
        // The panels trade places; the focus never visits the one in front.
        QCOMPARE(told(QAccessible::ObjectHide), QStringList({"fraMain"}));
        QVERIFY(told(QAccessible::ObjectShow).contains(QStringLiteral("fraResult")));
        QVERIFY2(!told(QAccessible::Focus).contains(QStringLiteral("cmdBack")), key);
        QTestAccessibility::clearEvents();
        QVERIFY2(!heard->state().invisible, key);
        QCOMPARE(heard->text(QAccessible::Description), control<QLabel>("lblResult_1")->text());
        QCOMPARE(QApplication::focusWidget(), control("txtQuestion"));
        QTest::keyClick(window, Qt::Key_B, Qt::AltModifier);
        QTRY_COMPARE(heard->text(QAccessible::Name), QStringLiteral("Enter Your Question"));
        QCOMPARE(heard->text(QAccessible::Description), QString());
        QCOMPARE(told(QAccessible::ObjectHide), QStringList({"fraResult"}));
        QVERIFY(told(QAccessible::ObjectShow).contains(QStringLiteral("fraMain")));
        QAccessibleEvent hidden(announcer, QAccessible::ObjectHide); // to show, and speak, anew
        QVERIFY(QTestAccessibility::containsEvent(&hidden));
    }
}

// A question at the length limit, control characters and any script: the
// question is kept as given and never stands in the way of a reading.
void TestMainWindow::oddQuestions_data()
{
    QTest::addColumn<QString>("question");
    QString longest(32767, QLatin1Char('q'));
    for (qsizetype i = 0; i < longest.size(); i += 9)
        longest[i] = QLatin1Char(' ');
    row("at the length limit", longest);
    row("control characters", QStringLiteral("a\x01\x07\x1b\tb\x7f"));
    row("other scripts", QStringLiteral("Ἀθηνᾶ; 日本語; שלום; 😀"));
    row("lone surrogate", QString(QChar(0xD800)) + QStringLiteral("x"));
    row("markup", QStringLiteral("<b>bold</b> &amp; %s %n"));
}

// A paste of mixed scripts and emoji past the limit is cut at the limit, and
// the window still answers a click at once.
void TestMainWindow::pasteAtTheLimitKeepsTheWindowAnswering()
{
    QString paste;
    while (paste.size() < 4 * 32767)
        paste
            += QStringLiteral("Ἀθηνᾶ 日本語 שלום مرحبا 😀👍🏽 question ");
    QGuiApplication::clipboard()->setText(paste);
    auto *field = control<QLineEdit>("txtQuestion");
    QTest::keySequence(field, QKeySequence::Paste);
    QCOMPARE(field->text(), paste.left(32767));
    field->repaint(); // every glyph of the field laid out and drawn once

    feedRandom({0.0f});
    QElapsedTimer timer;
    timer.start();
    QTest::mouseClick(control("cmdProceed"), Qt::LeftButton);
    window->repaint();
    const qint64 answered = timer.elapsed();
    QCOMPARE(shownName(), QStringLiteral("TINIA"));
    // Wide enough for a busy machine and a sanitizer build; anything that
    // went over the whole text at each reading would take far longer.
    QVERIFY2(answered < 1000, qPrintable(QStringLiteral("%1 ms").arg(answered)));
    qInfo("a click after a paste at the limit answered in %lld ms", answered);
}

void TestMainWindow::oddQuestions()
{
    QFETCH(QString, question);
    feedRandom({0.5f, 0.0f});
    auto *field = control<QLineEdit>("txtQuestion");
    field->setText(question); // as a paste would
    QCOMPARE(field->text(), question.left(32767));

    QElapsedTimer timer;
    timer.start();
    proceed();
    QVERIFY(timer.elapsed() < 1000);
    QCOMPARE(shownName(), QStringLiteral("USIL"));
    QVERIFY(reading());
    QCOMPARE(field->text(), question.left(32767));

    back();
    QVERIFY(field->text().isEmpty());
    QTest::keyClick(window, Qt::Key_O, Qt::AltModifier);
    QTRY_COMPARE(shownName(), QStringLiteral("TINIA"));
}

// Resident memory in KiB, from /proc/self/statm.
static qint64 residentKiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * 4 : -1;
}

void TestMainWindow::tenThousandReadingsKeepMemoryFlat()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("AddressSanitizer keeps freed memory in quarantine; it checks leaks itself");
#endif
    if (residentKiB() < 0)
        QSKIP("no /proc here");
    // Every entry once first, so each text and glyph has been shown before measuring.
    QList<float> everyEntry;
    for (int step = 0; step < 26; ++step)
        everyEntry << step / 26.0f;
    feedRandom(everyEntry);
    for (int i = 0; i < 1000; ++i) {
        proceed();
        if (i % 100 == 0)
            QCoreApplication::processEvents();
    }
    const qint64 before = residentKiB();
    for (int i = 0; i < 10000; ++i) {
        proceed();
        if (i % 2 == 0)
            back();
        if (i % 100 == 0)
            QCoreApplication::processEvents();
    }
    const qint64 growth = residentKiB() - before;
    QVERIFY2(growth < 1024, qPrintable(QStringLiteral("grew by %1 KiB").arg(growth)));
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
