#include "about/about_window.h"
#include "fixture.h"
#include "links/link_config.h"
#include "links/link_target.h"
#include "reference_image.h"

#include <QAccessible>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <functional>

using namespace zel;

namespace {

void whenAboutIsOpen(std::function<void(QDialog *)> step)
{
    whenModalIsUp([step](QWidget *modal) { step(qobject_cast<QDialog *>(modal)); });
}

QStringList labelTexts(const QWidget *window)
{
    QStringList texts;
    for (const QLabel *label : window->findChildren<QLabel *>())
        texts << label->objectName() + QLatin1Char('=') + label->text();
    texts.sort();
    return texts;
}

} // namespace

class TestAbout : public Fixture
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { drawAsDesigned(); }

    void aboutContent();
    void aboutCloses_data();
    void aboutCloses();
    void aboutLinksLeaveItOpen();
};

void TestAbout::aboutContent()
{
    AboutWindow &about = *openWindow<AboutWindow>();
    QCOMPARE(about.windowTitle(), QStringLiteral(ZEL_WINDOW_TITLE));
    QCOMPARE(about.size(), QSize(399, 226));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    QVERIFY(!(about.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(about.windowFlags() & Qt::WindowCloseButtonHint);

    const QString home = control<QLabel>("lblHomePage")->text();
    // The home page as a reader says it: without its scheme.
    QCOMPARE(home,
             QStringLiteral("Click here to visit ")
                 + QStringLiteral(ZEL_HOME_PAGE).section(QStringLiteral("://"), 1));

    // Every text fits its box in the stand-in fonts, and the rule crosses both edges.
    for (const char *name : {"Label1", "Label3"})
        QCOMPARE(cutOff(control<QLabel>(name)), QString());
    auto *rule = control<QWidget>("Line2");
    QVERIFY(rule->geometry().left() < 0 && rule->geometry().right() >= about.width());
    COMPARE_WITH_REFERENCE(&about, QStringLiteral("about"));
}

void TestAbout::aboutCloses_data()
{
    QTest::addColumn<QString>("how");
    row("Enter", "Enter");
    row("Return", "Return");
    row("Escape", "Escape");
    row("close box", "close");
    row("OK click", "click");
}

// Each way closes About and destroys it; the next opening is the same as the first.
void TestAbout::aboutCloses()
{
    QFETCH(QString, how);
    QWidget *owner = openWindow<QWidget>();
    QList<QStringList> contents;
    for (int opening = 0; opening < 2; ++opening) {
        QPointer<QDialog> seen;
        whenAboutIsOpen([&seen, &contents, how](QDialog *about) {
            seen = about;
            contents << labelTexts(about);
            if (how == QLatin1String("close"))
                about->close();
            else if (how == QLatin1String("click"))
                QTest::mouseClick(about->findChild<QPushButton *>(QStringLiteral("cmdOK")),
                                  Qt::LeftButton);
            else
                QTest::keyClick(about,
                                how == QLatin1String("Enter")        ? Qt::Key_Enter
                                    : how == QLatin1String("Return") ? Qt::Key_Return
                                                                     : Qt::Key_Escape);
        });
        showAbout(owner);
        QVERIFY(!QApplication::activeModalWidget());
        QTRY_VERIFY(seen.isNull()); // destroyed, not kept for the next opening
    }
    QCOMPARE(contents.size(), 2);
    QVERIFY(contents[0].size() >= 6);
    QCOMPARE(contents[1], contents[0]);
    QVERIFY(opened.isEmpty());
}

// Clicked, or reached by Tab and opened by a key, a link opens once and
// leaves About open.
void TestAbout::aboutLinksLeaveItOpen()
{
    QStringList stillOpen;
    QStringList focused;
    QStringList looks;
    whenAboutIsOpen([&](QDialog *about) {
        for (const char *name : {"lblHomePage", "lblCobrand", "lblCobrand"}) {
            auto *link = about->findChild<QLabel *>(QLatin1String(name));
            QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
            stillOpen << QString::number(about->isVisible());
        }
        QTest::mouseClick(about->findChild<QLabel *>(QStringLiteral("picIcon")), Qt::LeftButton);
        stillOpen << QString::number(about->isVisible());
        // A screen reader's press on each link opens it as a click does.
        for (const char *name : {"lblHomePage", "lblCobrand"})
            QAccessible::queryAccessibleInterface(about->findChild<QLabel *>(QLatin1String(name)))
                ->actionInterface()
                ->doAction(QAccessibleActionInterface::pressAction());
        stillOpen << QString::number(about->isVisible());

        // Tab goes from OK to the links in reading order and round again;
        // Shift+Tab from OK reaches the last link. Only the focused link
        // shows a focus frame.
        QWindow *keys = about->windowHandle();
        auto *home = about->findChild<QLabel *>(QStringLiteral("lblHomePage"));
        const QImage unfocused = home->grab().toImage();
        const auto tab = [&](Qt::KeyboardModifiers modifiers) {
            QTest::keyClick(keys, Qt::Key_Tab, modifiers);
            const QWidget *focus = QApplication::focusWidget();
            focused << (focus ? focus->objectName() : QStringLiteral("nothing"));
            looks << (home->grab().toImage() == unfocused ? "plain" : "framed");
        };
        tab({});
        // Return held down opens the link once.
        QTest::keyPress(keys, Qt::Key_Return);
        for (int repeat = 0; repeat < 3; ++repeat)
            QTest::simulateEvent(keys, true, Qt::Key_Return, {}, QStringLiteral("\r"), true);
        QTest::keyRelease(keys, Qt::Key_Return);
        stillOpen << QString::number(about->isVisible());
        tab({});
        QTest::keyClick(keys, Qt::Key_Space);
        tab({});
        tab(Qt::ShiftModifier);
        QTest::keyClick(keys, Qt::Key_Enter, Qt::KeypadModifier);
        stillOpen << QString::number(about->isVisible());
        // Esc still closes the window from a focused link.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        stillOpen << QString::number(about->isVisible());
        if (about->isVisible())
            about->accept();
    });
    showAbout(openWindow<QWidget>());
    QCOMPARE(stillOpen, QStringList({"1", "1", "1", "1", "1", "1", "1", "0"}));
    QCOMPARE(focused, QStringList({"lblHomePage", "lblCobrand", "cmdOK", "lblCobrand"}));
    QCOMPARE(looks, QStringList({"framed", "plain", "plain", "plain"}));
    const QString homePage = linkAddress(LinkTarget::HomePage);
    const QString fullBrand = linkAddress(LinkTarget::FullBrandPage);
    QCOMPARE(opened,
             QStringList({homePage, fullBrand, fullBrand, homePage, fullBrand, homePage, fullBrand,
                          fullBrand}));
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
