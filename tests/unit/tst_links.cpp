#include "fixture.h"
#include "links/link_config.h"
#include "links/link_target.h"
#include "links/open_link.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace zel;

class TestLinks : public Fixture
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("zel.*=true")); // as a maintainer asks
    }

    void destinations_data();
    void destinations();
    void desktopOpenerGetsTheAddressAsOneArgument_data();
    void desktopOpenerGetsTheAddressAsOneArgument();
    void missingOpenerIsSilent();
};

// Each destination is its site's base and its exact path; only the product
// site's root ends in a slash, and the home page has no path at all.
void TestLinks::destinations_data()
{
    columns<LinkTarget, QString, QString>("target", "base", "path");

    const QString maker = QStringLiteral(ZEL_MAKER_SITE_BASE);
    const QString help = QStringLiteral(ZEL_HELP_SITE_BASE);
    const QString product = QStringLiteral(ZEL_PRODUCT_SITE_BASE);
    row("HomePage", LinkTarget::HomePage, QStringLiteral(ZEL_HOME_PAGE), "");
    row("SoftwareLibraryPage", LinkTarget::SoftwareLibraryPage, maker, "/velmorasoftwares");
    row("DonatePage", LinkTarget::DonatePage, help, "/donate.html");
    row("FullBrandPage", LinkTarget::FullBrandPage, help, "/fully-branded.html");
    row("CoBrandPage", LinkTarget::CoBrandPage, help, "/co-brand.html");
    row("ProductHelpPage", LinkTarget::ProductHelpPage, product, "/zel-free-orvalis-help.html");
    row("ProductDownloadPage", LinkTarget::ProductDownloadPage, product,
        "/download-zel-free-orvalis.html");
    row("ReferralEndpoint", LinkTarget::ReferralEndpoint, maker, "/tavro-refer-a-friend.php");
    row("ProductSite", LinkTarget::ProductSite, product, "/");
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
    row("plain", linkAddress(LinkTarget::DonatePage));
    row("query with shell characters",
        "http://h.example/a.php?x=1&y=$(touch pwned)`id`;echo 'q' \"d\" | > *");
    row("spaces and line breaks", "http://h.example/?m=Your Message\r\nend");
    row("non-ASCII", QStringLiteral("http://h.example/?n=Zoë Ørsted 日本"));
    row("empty", QString());
    row("leading dash", "-h");
}

void TestLinks::desktopOpenerGetsTheAddressAsOneArgument()
{
#ifdef Q_OS_UNIX
    QFETCH(QString, address);
    QTemporaryDir bin;
    const QString record = bin.filePath(QStringLiteral("record"));
    const QString script = bin.filePath(QStringLiteral("xdg-open"));
    QVERIFY(writeFile(script,
                      "#!/bin/sh\nprintf '%s\\n%s\\n' \"$#\" \"$1\" > \"" + record.toLocal8Bit()
                          + ".tmp\" && mv \"" + record.toLocal8Bit() + ".tmp\" \""
                          + record.toLocal8Bit() + "\"\n"));
    QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", bin.path().toLocal8Bit() + ':' + oldPath);
    setLinkOpenerForTests({});

    QElapsedTimer timer;
    timer.start();
    openLink(address);
    QVERIFY(timer.elapsed() < 5000); // it does not wait for the browser
    qputenv("PATH", oldPath);

    QTRY_VERIFY(QFile::exists(record));
    QCOMPARE(QString::fromUtf8(fileContents(record)),
             QStringLiteral("1\n") + address + QLatin1Char('\n'));
    QVERIFY(!QFile::exists(QStringLiteral("pwned")));
#else
    QSKIP("the desktop opener here is the system shell");
#endif
}

// Silent to the user, told to the maintainer, without a referral's query.
void TestLinks::missingOpenerIsSilent()
{
#ifdef Q_OS_WIN
    const QString address = QStringLiteral("zel-no-handler:page?taf1=Name");
    const QString told = QStringLiteral("^the shell could not open zel-no-handler:page \\(error");
#else
    const QString address = linkAddress(LinkTarget::HomePage);
    const QString told = QStringLiteral("^could not start xdg-open");
    QTemporaryDir empty;
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", empty.path().toLocal8Bit());
#endif
    setLinkOpenerForTests({});
    QElapsedTimer timer;
    timer.start();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(told));
    openLink(address);
#ifndef Q_OS_WIN
    qputenv("PATH", oldPath);
#endif
    QVERIFY(timer.elapsed() < 5000);
    QVERIFY(!QApplication::activeModalWidget());
}

QTEST_MAIN(TestLinks)
#include "tst_links.moc"
