#include "data_row.h"
#include "ui/link_label.h"
#include "ui/look.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using namespace zel;

class TestUi : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { look::installFontSubstitutes(); }

    void labelCaptions_data();
    void faces_data();
    void faces();
    void labelCaptions();
    void linkCountsAClickReleasedOverIt_data();
    void linkCountsAClickReleasedOverIt();
    void fieldsStayWhiteOnADarkDesktop();
};

void TestUi::labelCaptions_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shown");
    row("double ampersand", "name &&  link", "name &  link");
    row("access key mark", "E&xit", "Exit");
    row("trailing mark", "odd &", "odd ");
    row("three marks", "a&&&b", "a&b");
    row("none", "plain", "plain");
}

// The designed face draws where it is installed, as designed; where it is
// missing its stand-in draws, stepped down only as far as its text needs.
void TestUi::faces_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("face");
    QTest::addColumn<bool>("mayStepDown");
    const QStringList windows {"Arial", "MS Sans Serif", "Tahoma", "Verdana"};
    const QStringList linux {"DejaVu Sans", "DejaVu Serif"};
    row("Verdana on Windows", "Verdana", windows, "Verdana", false);
    row("MS Sans Serif on Windows", "MS Sans Serif", windows, "MS Sans Serif", false);
    row("Verdana missing", "Verdana", linux, "DejaVu Sans", true);
    row("MS Sans Serif missing", "MS Sans Serif", linux, "DejaVu Sans", true);
    row("MS Sans Serif, Tahoma there", "MS Sans Serif", QStringList {"Tahoma"}, "Tahoma", true);
}

void TestUi::faces()
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
    // A text that fits to the pixel keeps its size.
    const QSize exact = QFontMetrics(font).boundingRect(QRect(0, 0, 1000, 1000), 0, text).size();
    QCOMPARE(look::fittedFont(font, text, exact, true).pixelSize(), 11);
}

void TestUi::labelCaptions()
{
    QFETCH(QString, caption);
    QFETCH(QString, shown);
    QCOMPARE(look::labelCaption(caption), shown);
}

// Like a button: a click counts where the left button is released over the link.
void TestUi::linkCountsAClickReleasedOverIt_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QPoint>("releasedAt");
    QTest::addColumn<int>("clicks");
    row("released over it", int(Qt::LeftButton), QPoint(10, 5), 1);
    row("dragged off", int(Qt::LeftButton), QPoint(10, 500), 0);
    row("right button", int(Qt::RightButton), QPoint(10, 5), 0);
}

void TestUi::linkCountsAClickReleasedOverIt()
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

// The fields keep their white ground and black text whatever the desktop's colours.
void TestUi::fieldsStayWhiteOnADarkDesktop()
{
    const QPalette desktop = QApplication::palette();
    QPalette dark = desktop;
    dark.setColor(QPalette::Base, Qt::black);
    dark.setColor(QPalette::Text, Qt::white);
    QApplication::setPalette(dark);
    QWidget parent;
    const QPalette shown = look::lineField(&parent, "field", QRect(0, 0, 100, 20), 10)->palette();
    QApplication::setPalette(desktop);
    QCOMPARE(shown.color(QPalette::Base), QColor(Qt::white));
    QCOMPARE(shown.color(QPalette::Text), QColor(Qt::black));
}

QTEST_MAIN(TestUi)
#include "tst_ui.moc"
