#include "accessibility/announcer.h"
#include "main_window_test.h"
#include "reference_image.h"

#include <QAccessible>
#include <QScopeGuard>
#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/qpa/qplatformaccessibility.h>
#include <QtGui/qpa/qplatformintegration.h>
#include <QtTest/qtestaccessible.h>

using namespace zel;

// How the main window looks, and what a screen reader hears of it.
class TestMainLook : public MainWindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { drawAsDesigned(); }

    void windowFrame();
    void textsFitTheirBoxes_data();
    void textsFitTheirBoxes();
    void linkLabelsLookAlike();
    void screenReadersHearEachReadingAndTheWayBack();
};

void TestMainLook::windowFrame()
{
    QCOMPARE(window->objectName(), QStringLiteral("frmMain"));
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
void TestMainLook::textsFitTheirBoxes_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"Label14", "lblLabel_0", "lblCobrand", "lblFullBrand"})
        row(name, QString::fromLatin1(name));
}

void TestMainLook::textsFitTheirBoxes()
{
    QFETCH(QString, name);
    QCOMPARE(cutOff(control<QLabel>(qPrintable(name))), QString());
}

void TestMainLook::linkLabelsLookAlike()
{
    for (const char *name : {"Label14", "lblCobrand", "lblFullBrand"}) {
        auto *label = control<QLabel>(name);
        QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(label->font().underline());
    }
}

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

} // namespace

// The focus stays in the covered question field, so each reading is told to
// a screen reader by itself, as a notification that shows, even the same
// entry twice in a row; so is the way back. The panels are told as they
// trade places.
void TestMainLook::screenReadersHearEachReadingAndTheWayBack()
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

QTEST_MAIN(TestMainLook)
#include "tst_main_look.moc"
