#include "about/about_window.h"
#include "accessibility_check.h"
#include "links/link_config.h"
#include "links/link_target.h"
#include "links/open_link.h"
#include "modal_helper.h"
#include "ui/link_label.h"
#include "ui/look.h"
#include "window_test_helpers.h"

#include <QDialog>
#include <QFontInfo>
#include <QLabel>
#include <QLoggingCategory>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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

class TestLinks : public QObject
{
    Q_OBJECT

private:
    QStringList opened;

private Q_SLOTS:
    void initTestCase()
    {
        look::installFontSubstitutes();
        QLoggingCategory::setFilterRules(QStringLiteral("zel.*=true")); // as a maintainer asks
    }
    void init()
    {
        opened.clear();
        setLinkOpenerForTests([this](const QString &address) { opened << address; });
    }
    void cleanup()
    {
        setLinkOpenerForTests({});
        QVERIFY(!QApplication::activeModalWidget());
    }

    void destinations_data();
    void destinations();
    void desktopOpenerGetsTheAddressAsOneArgument_data();
    void desktopOpenerGetsTheAddressAsOneArgument();
    void missingOpenerIsSilent();
    void labelCaptions_data();
    void labelCaptions();
    void faces_data();
    void faces();
    void linkCountsAClickReleasedOverIt_data();
    void linkCountsAClickReleasedOverIt();

    void aboutContent();
    void aboutCloses_data();
    void aboutCloses();
    void aboutLinksLeaveItOpen();
    void aboutIsTheSameEachTime();
};

// Each destination is its site's base and its exact path; only the product
// site's root ends in a slash, and the home page has no path at all.
void TestLinks::destinations_data()
{
    QTest::addColumn<LinkTarget>("target");
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("path");

    const QString maker = QStringLiteral(ZEL_MAKER_SITE_BASE);
    const QString help = QStringLiteral(ZEL_HELP_SITE_BASE);
    const QString product = QStringLiteral(ZEL_PRODUCT_SITE_BASE);
    QTest::newRow("HomePage") << LinkTarget::HomePage << QStringLiteral(ZEL_HOME_PAGE) << "";
    QTest::newRow("SoftwareLibraryPage")
        << LinkTarget::SoftwareLibraryPage << maker << "/velmorasoftwares";
    QTest::newRow("DonatePage") << LinkTarget::DonatePage << help << "/donate.html";
    QTest::newRow("FullBrandPage") << LinkTarget::FullBrandPage << help << "/fully-branded.html";
    QTest::newRow("CoBrandPage") << LinkTarget::CoBrandPage << help << "/co-brand.html";
    QTest::newRow("ProductHelpPage")
        << LinkTarget::ProductHelpPage << product << "/zel-free-orvalis-help.html";
    QTest::newRow("ProductDownloadPage")
        << LinkTarget::ProductDownloadPage << product << "/download-zel-free-orvalis.html";
    QTest::newRow("ReferralEndpoint")
        << LinkTarget::ReferralEndpoint << maker << "/tavro-refer-a-friend.php";
    QTest::newRow("ProductSite") << LinkTarget::ProductSite << product << "/";
}

void TestLinks::destinations()
{
    QFETCH(LinkTarget, target);
    QFETCH(QString, base);
    QFETCH(QString, path);

    const QString address = linkAddress(target);
    QCOMPARE(address, base + path);
    QVERIFY(address.startsWith(QStringLiteral("http://")));
    QVERIFY2(!address.mid(7).contains(QStringLiteral("//")), qPrintable(address));
    QCOMPARE(address.endsWith(QLatin1Char('/')), target == LinkTarget::ProductSite);
    // Printable ASCII only: Windows hands the address on in its ANSI code
    // page, which would turn anything else into '?'.
    for (const QChar c : address)
        QVERIFY2(c.unicode() > 0x20 && c.unicode() < 0x7f, qPrintable(address));

    openLink(target);
    QCOMPARE(opened, QStringList {address});
}

// The real desktop opener, with a recording xdg-open first on PATH: the
// address arrives as one argument, untouched by any shell.
void TestLinks::desktopOpenerGetsTheAddressAsOneArgument_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("plain") << linkAddress(LinkTarget::DonatePage);
    QTest::newRow("query with shell characters")
        << "http://h.example/a.php?x=1&y=$(touch pwned)`id`;echo 'q' \"d\" | > *";
    QTest::newRow("spaces and line breaks") << "http://h.example/?m=Your Message\r\nend";
    QTest::newRow("non-ASCII") << QStringLiteral("http://h.example/?n=Zoë Ørsted 日本");
    QTest::newRow("empty") << QString();
    QTest::newRow("leading dash") << "-h";
}

void TestLinks::desktopOpenerGetsTheAddressAsOneArgument()
{
#ifdef Q_OS_UNIX
    QFETCH(QString, address);
    QTemporaryDir bin;
    const QString record = bin.filePath(QStringLiteral("record"));
    QFile script(bin.filePath(QStringLiteral("xdg-open")));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s\\n%s\\n' \"$#\" \"$1\" > \"" + record.toLocal8Bit()
                 + ".tmp\" && mv \"" + record.toLocal8Bit() + ".tmp\" \"" + record.toLocal8Bit()
                 + "\"\n");
    script.close();
    QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", bin.path().toLocal8Bit() + ':' + oldPath);
    setLinkOpenerForTests({});

    QElapsedTimer timer;
    timer.start();
    openLink(address);
    QVERIFY(timer.elapsed() < 1000); // it does not wait for the browser
    qputenv("PATH", oldPath);

    QTRY_VERIFY(QFile::exists(record));
    QFile result(record);
    QVERIFY(result.open(QIODevice::ReadOnly));
    const QByteArray seen = result.readAll();
    QCOMPARE(QString::fromUtf8(seen), QStringLiteral("1\n") + address + QLatin1Char('\n'));
    QVERIFY(!QFile::exists(QStringLiteral("pwned")));
#else
    QSKIP("the desktop opener here is the system shell");
#endif
}

void TestLinks::missingOpenerIsSilent()
{
#ifdef Q_OS_UNIX
    QTemporaryDir empty;
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", empty.path().toLocal8Bit());
    setLinkOpenerForTests({});
    QElapsedTimer timer;
    timer.start();
    // Silent to the user, told to the maintainer.
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("could not start xdg-open")));
    openLink(LinkTarget::HomePage);
    qputenv("PATH", oldPath);
    QVERIFY(timer.elapsed() < 1000);
    QVERIFY(!QApplication::activeModalWidget());
#else
    QSKIP("Unix opener only");
#endif
}

void TestLinks::labelCaptions_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shown");
    QTest::newRow("double ampersand") << "name &&  link"
                                      << "name &  link";
    QTest::newRow("access key mark") << "E&xit"
                                     << "Exit";
    QTest::newRow("trailing mark") << "odd &"
                                   << "odd ";
    QTest::newRow("three marks") << "a&&&b"
                                 << "a&b";
    QTest::newRow("none") << "plain"
                          << "plain";
}

// The designed face draws where it is installed, as designed; where it is
// missing its stand-in draws, stepped down only as far as its text needs.
void TestLinks::faces_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("face");
    QTest::addColumn<bool>("mayStepDown");
    const QStringList windows {"Arial", "MS Sans Serif", "Tahoma", "Verdana"};
    const QStringList linux {"DejaVu Sans", "DejaVu Serif"};
    QTest::newRow("Verdana on Windows") << "Verdana" << windows << "Verdana" << false;
    QTest::newRow("MS Sans Serif on Windows")
        << "MS Sans Serif" << windows << "MS Sans Serif" << false;
    QTest::newRow("Verdana missing") << "Verdana" << linux << "DejaVu Sans" << true;
    QTest::newRow("MS Sans Serif missing") << "MS Sans Serif" << linux << "DejaVu Sans" << true;
    QTest::newRow("MS Sans Serif, Tahoma there")
        << "MS Sans Serif" << QStringList {"Tahoma"} << "Tahoma" << true;
}

void TestLinks::faces()
{
    QFETCH(QString, family);
    QFETCH(QStringList, installed);
    QFETCH(QString, face);
    QFETCH(bool, mayStepDown);
    QCOMPARE(look::faceFor(family, installed), face);
    QCOMPARE(look::isDesignedFace(face), !mayStepDown);

    // A stand-in that overflows its box steps down until it fits.
    QFont font(QFontInfo(look::verdana(8.25)).family());
    if (look::isDesignedFace(font.family()))
        return; // the designed face is installed here: nothing stands in
    font.setPixelSize(11);
    const QString text(20, QLatin1Char('W'));
    QVERIFY(look::fittedFont(font, text, QSize(100, 13), false).pixelSize() < 11);
}

void TestLinks::labelCaptions()
{
    QFETCH(QString, caption);
    QFETCH(QString, shown);
    QCOMPARE(look::labelCaption(caption), shown);
}

// Like a button: a click counts where the left button is released over the link.
void TestLinks::linkCountsAClickReleasedOverIt_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QPoint>("releasedAt");
    QTest::addColumn<int>("clicks");
    QTest::newRow("released over it") << int(Qt::LeftButton) << QPoint(10, 5) << 1;
    QTest::newRow("dragged off") << int(Qt::LeftButton) << QPoint(10, 500) << 0;
    QTest::newRow("right button") << int(Qt::RightButton) << QPoint(10, 5) << 0;
}

void TestLinks::linkCountsAClickReleasedOverIt()
{
    QFETCH(int, button);
    QFETCH(QPoint, releasedAt);
    QFETCH(int, clicks);
    LinkLabel link(QStringLiteral("Click here"), QStringLiteral("a page"));
    link.resize(100, 20);
    QSignalSpy clicked(&link, &LinkLabel::clicked);
    const auto mouseButton = static_cast<Qt::MouseButton>(button);
    QTest::mousePress(&link, mouseButton, {}, QPoint(10, 5));
    QTest::mouseRelease(&link, mouseButton, {}, releasedAt);
    QCOMPARE(clicked.size(), clicks);
}

void TestLinks::aboutContent()
{
    AboutWindow about;
    about.show();
    QVERIFY(QTest::qWaitForWindowActive(&about));
    QCOMPARE(unnamedForScreenReaders(&about), QStringList());
    QCOMPARE(about.windowTitle(), QStringLiteral(ZEL_WINDOW_TITLE));
    QCOMPARE(about.size(), QSize(399, 226));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    QVERIFY(!(about.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(about.windowFlags() & Qt::WindowCloseButtonHint);

    auto *ok = about.findChild<QPushButton *>(QStringLiteral("cmdOK"));
    QVERIFY(ok->isDefault());
    QCOMPARE(QApplication::focusWidget(), ok);

    const auto *label1 = about.findChild<QLabel *>(QStringLiteral("Label1"));
    QVERIFY(label1->text().startsWith(
        QStringLiteral("Zel Orvalis is an ancient oracle based on the Etruscan texts and "
                       "religion.")));
    QVERIFY(label1->text().contains(QStringLiteral("Velmora")));
    const QString home = about.findChild<QLabel *>(QStringLiteral("lblHomePage"))->text();
    QVERIFY(home.startsWith(QStringLiteral("Click here to visit ")));
    QVERIFY(linkAddress(LinkTarget::HomePage).endsWith(home.mid(20)));

    // Every text fits its box in the stand-in fonts, and the rule crosses both edges.
    for (const char *name : {"Label1", "Label3"}) {
        const auto *label = findControl<QLabel>(&about, name);
        QVERIFY2(wrappedHeight(label) <= label->height(), name);
    }
    const auto *rule = about.findChild<QWidget *>(QStringLiteral("Line2"));
    QVERIFY(rule->geometry().left() < 0 && rule->geometry().right() >= about.width());
    for (const LinkLabel *link : about.findChildren<LinkLabel *>())
        QVERIFY(link->geometry().right() < about.width());
}

void TestLinks::aboutCloses_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Enter") << "Enter";
    QTest::newRow("Return") << "Return";
    QTest::newRow("Escape") << "Escape";
    QTest::newRow("close box") << "close";
    QTest::newRow("OK click") << "click";
}

void TestLinks::aboutCloses()
{
    QFETCH(QString, how);
    QWidget owner;
    owner.show();
    QPointer<QDialog> seen;
    whenAboutIsOpen([&seen, how](QDialog *about) {
        seen = about;
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
    showAbout(&owner);
    QVERIFY(!QApplication::activeModalWidget());
    QTRY_VERIFY(seen.isNull()); // destroyed, not kept for the next opening
    QVERIFY(opened.isEmpty());
}

void TestLinks::aboutLinksLeaveItOpen()
{
    QWidget owner;
    owner.show();
    QStringList stillOpen;
    whenAboutIsOpen([&](QDialog *about) {
        for (const char *name : {"lblHomePage", "lblCobrand", "lblCobrand"}) {
            auto *link = about->findChild<QLabel *>(QLatin1String(name));
            QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
            stillOpen << QString::number(about->isVisible());
        }
        QTest::mouseClick(about->findChild<QLabel *>(QStringLiteral("picIcon")), Qt::LeftButton);
        stillOpen << QString::number(about->isVisible());
        about->accept();
    });
    showAbout(&owner);
    QCOMPARE(stillOpen, QStringList({"1", "1", "1", "1"}));
    QCOMPARE(opened,
             QStringList({linkAddress(LinkTarget::HomePage), linkAddress(LinkTarget::FullBrandPage),
                          linkAddress(LinkTarget::FullBrandPage)}));
}

void TestLinks::aboutIsTheSameEachTime()
{
    QWidget owner;
    owner.show();
    QList<QStringList> contents;
    for (int opening = 0; opening < 2; ++opening) {
        whenAboutIsOpen([&contents](QDialog *about) {
            contents << labelTexts(about);
            QTest::keyClick(about, Qt::Key_Escape);
        });
        showAbout(&owner);
    }
    QCOMPARE(contents.size(), 2);
    QVERIFY(contents[0].size() >= 6);
    QCOMPARE(contents[1], contents[0]);
}

QTEST_MAIN(TestLinks)
#include "tst_links.moc"
