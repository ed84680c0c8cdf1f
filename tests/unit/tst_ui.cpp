#include "fit_in.h"
#include "fixture.h"
#include "ui/fonts.h"
#include "ui/limited_text_edit.h"
#include "ui/link_label.h"
#include "ui/look.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QRandomGenerator>
#include <QSignalSpy>

using namespace zel;

namespace {

// What random text is made of; a CR LF comes last.
const QStringList Pieces {"a", "b", " ", "\u00e9", "\n", "\U0001F600", "\U0001D11E", "\r\n"};

QString randomText(QRandomGenerator &random, int most)
{
    QString text;
    for (int i = random.bounded(most + 1); i > 0; --i)
        text += Pieces.at(random.bounded(int(Pieces.size())));
    return text;
}

QString readable(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1String("\\r"))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

class TestUi : public Fixture
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { drawAsDesigned(); }

    void labelCaptions_data();
    void faces_data();
    void faces();
    void labelCaptions();
    void linkCountsAClickReleasedOverIt_data();
    void linkCountsAClickReleasedOverIt();
    void linkDrawsAsAPlainLabel_data();
    void linkDrawsAsAPlainLabel();
    void fieldsStayWhiteOnADarkDesktop();
    void limitedFieldKeepsWhatFits_data();
    void limitedFieldKeepsWhatFits();
    void windowsCentreInTheFreeArea();
};

void TestUi::labelCaptions_data()
{
    columns<QString, QString>("caption", "shown");
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
    columns<QString, QStringList, QString, bool>("family", "installed", "face", "mayStepDown");
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
    columns<int, QPoint, int>("button", "releasedAt", "clicks");
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
    QTest::mouseRelease(&link, Qt::LeftButton, {}, QPoint(10, 5)); // no press: no click
    QCOMPARE(clicked.size(), clicks);
}

// Unfocused, a link draws its text exactly where a plain label would, at
// every scale, one line or wrapped.
void TestUi::linkDrawsAsAPlainLabel_data()
{
    columns<qreal, bool>("scale", "wraps");
    row("one line", 1.0, false);
    row("one line at twice the size", 2.0, false);
    row("wrapped and centred at twice the size", 2.0, true);
}

void TestUi::linkDrawsAsAPlainLabel()
{
    QFETCH(qreal, scale);
    QFETCH(bool, wraps);
    const QString text = QStringLiteral("Click here to visit the home page of the forum now");
    LinkLabel link(text, QStringLiteral("a page"));
    QLabel label(text);
    QImage drawn[2];
    for (QLabel *each : {static_cast<QLabel *>(&link), &label}) {
        each->setFont(look::verdana(8.25, look::Underline));
        each->setWordWrap(wraps);
        if (wraps)
            each->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        each->setGeometry(0, 0, wraps ? 150 : 330, 40);
        QImage &image = drawn[each == &label];
        image = QImage(each->size() * scale, QImage::Format_ARGB32);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::white);
        each->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    }
    QCOMPARE(drawn[0], drawn[1]);
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

// Every way text reaches the message field, at random places, with random
// text: the field holds what a plain field holds after the same step with what
// it was given cut to the limit, in whole characters.
void TestUi::limitedFieldKeepsWhatFits_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : {1u, 2u, 3u})
        QTest::addRow("seed %u", seed) << seed;
    const quint32 seed = QRandomGenerator::global()->generate();
    QTest::addRow("random seed %u", seed) << seed;
}

void TestUi::limitedFieldKeepsWhatFits()
{
    QFETCH(quint32, seed);
    constexpr int Limit = 12;
    QWidget window;
    auto *limited = new LimitedTextEdit(Limit, &window);
    auto *plain = new QPlainTextEdit(&window);
    limited->setGeometry(0, 0, 300, 150);
    plain->setGeometry(0, 150, 300, 150);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QAccessibleInterface *limitedHeard = QAccessible::queryAccessibleInterface(limited);
    QAccessibleInterface *plainHeard = QAccessible::queryAccessibleInterface(plain);
    const auto drop = [](QPlainTextEdit *field, QPoint at, const QString &text) {
        QMimeData dragged;
        dragged.setText(text);
        QDragEnterEvent enter(at, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
        QDropEvent drop(at, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(field->viewport(), &enter);
        QApplication::sendEvent(field->viewport(), &drop);
    };

    QRandomGenerator random(seed);
    for (int step = 0; step < 400; ++step) {
        const QString before = plain->toPlainText();
        const auto anywhere = [&random](const QString &text) {
            int at = random.bounded(int(text.size()) + 1);
            return at < text.size() && text.at(at).isLowSurrogate() ? at - 1 : at;
        };
        // The same caret or selection in both.
        QTextCursor cursor(plain->document());
        cursor.setPosition(anywhere(before));
        cursor.setPosition(anywhere(before), QTextCursor::KeepAnchor);
        for (QPlainTextEdit *field : {static_cast<QPlainTextEdit *>(limited), plain}) {
            QTextCursor moved = field->textCursor();
            moved.setPosition(cursor.anchor());
            moved.setPosition(cursor.position(), QTextCursor::KeepAnchor);
            field->setTextCursor(moved);
        }
        const int start = cursor.selectionStart();
        const int room = Limit - int(before.size()) + cursor.selectionEnd() - start;
        const QString text = randomText(random, random.bounded(6) ? 5 : 3 * Limit);
        const QString character = Pieces.at(random.bounded(int(Pieces.size()) - 1));
        QString done;
        switch (random.bounded(10)) {
        case 0: // typed, a line break or a character
            done = QStringLiteral("typed ") + readable(character);
            if (character == QLatin1String("\n")) {
                QTest::keyClick(limited, Qt::Key_Return);
                if (room >= 1)
                    QTest::keyClick(plain, Qt::Key_Return);
            } else {
                QTest::sendKeyEvent(QTest::Click, limited, Qt::Key_unknown, character, {});
                if (character.size() <= room)
                    QTest::sendKeyEvent(QTest::Click, plain, Qt::Key_unknown, character, {});
            }
            break;
        case 1:
            done = QStringLiteral("pasted ") + readable(text);
            QApplication::clipboard()->setText(text);
            QTest::keyClick(limited, Qt::Key_V, Qt::ControlModifier);
            QApplication::clipboard()->setText(fitIn(text, room));
            QTest::keyClick(plain, Qt::Key_V, Qt::ControlModifier);
            break;
        case 2: { // dropped from elsewhere: the selection stays
            QTextCursor target(plain->document());
            target.setPosition(anywhere(before));
            const QPoint at = plain->cursorRect(target).center();
            done = QStringLiteral("dropped at %1: ").arg(target.position()) + readable(text);
            drop(limited, at, text);
            drop(plain, at, fitIn(text, Limit - int(before.size())));
            break;
        }
        case 3: { // committed over the selection and a range beside it
            const QString rest = before.left(start) + before.mid(cursor.selectionEnd());
            int from = anywhere(rest);
            int to = anywhere(rest);
            if (from > to)
                std::swap(from, to);
            done = QStringLiteral("committed over %1-%2 of what is left: ").arg(from).arg(to)
                + readable(text);
            QInputMethodEvent commit;
            commit.setCommitString(text, from - start, to - from);
            QApplication::sendEvent(limited, &commit);
            QInputMethodEvent cut;
            cut.setCommitString(fitIn(text, Limit - int(rest.size()) + to - from), from - start,
                                to - from);
            QApplication::sendEvent(plain, &cut);
            break;
        }
        case 4:
        case 5:
            done = QStringLiteral("undone");
            QTest::keyClick(limited, Qt::Key_Z, Qt::ControlModifier);
            QTest::keyClick(plain, Qt::Key_Z, Qt::ControlModifier);
            break;
        case 6:
            done = QStringLiteral("redone");
            QTest::keySequence(limited, QKeySequence::Redo);
            QTest::keySequence(plain, QKeySequence::Redo);
            break;
        case 7: { // written by a screen reader in place of a range
            int from = anywhere(before);
            int to = random.bounded(2) ? from : anywhere(before);
            if (from > to)
                std::swap(from, to);
            done = QStringLiteral("written over %1-%2: ").arg(from).arg(to) + readable(text);
            const QString kept = fitIn(text, Limit - int(before.size()) + to - from);
            if (from == to) {
                limitedHeard->editableTextInterface()->insertText(from, text);
                plainHeard->editableTextInterface()->insertText(from, kept);
            } else {
                limitedHeard->editableTextInterface()->replaceText(from, to, text);
                plainHeard->editableTextInterface()->replaceText(from, to, kept);
            }
            break;
        }
        case 8:
            done = QStringLiteral("set by a screen reader: ") + readable(text);
            limitedHeard->setText(QAccessible::Value, text);
            plainHeard->setText(QAccessible::Value, fitIn(text, Limit));
            break;
        default:
            done = QStringLiteral("set by the program: ") + readable(text);
            limited->setPlainText(text);
            plain->setPlainText(fitIn(text, Limit));
        }
        QVERIFY2(limited->toPlainText() == plain->toPlainText(),
                 qPrintable(QStringLiteral("seed %1, step %2: %3 into %4 gave %5, not %6")
                                .arg(seed)
                                .arg(step)
                                .arg(done, readable(before), readable(limited->toPlainText()),
                                     readable(plain->toPlainText()))));
    }
}

// Every window's size on a screen with a panel at each edge, or none, and on
// one smaller than the window: a window that fits lies inside the free area
// with its centre on the area's; one that does not keeps its top left there.
void TestUi::windowsCentreInTheFreeArea()
{
    const QRect screen(0, 0, 1024, 768);
    const QList<QRect> areas = {screen,
                                screen.adjusted(0, 40, 0, 0),
                                screen.adjusted(0, 0, 0, -48),
                                screen.adjusted(64, 0, 0, 0),
                                screen.adjusted(0, 0, -64, 0),
                                QRect(1024, -200, 640, 480)}; // a second, smaller screen
    for (const QRect &area : areas) {
        for (const QSize size :
             {QSize(399, 226), QSize(562, 374), QSize(741, 315), QSize(641, 3)}) {
            const QRect placed = look::centredIn(size, area);
            const QPoint off = placed.center() - area.center();
            const bool fits = size.width() <= area.width() && size.height() <= area.height();
            QVERIFY2(placed.size() == size
                         && (fits
                                 ? area.contains(placed) && qAbs(off.x()) <= 1 && qAbs(off.y()) <= 1
                                 : area.contains(placed.topLeft())),
                     qPrintable(QStringLiteral("%1x%2 in %3,%4 %5x%6: at %7,%8")
                                    .arg(size.width())
                                    .arg(size.height())
                                    .arg(area.x())
                                    .arg(area.y())
                                    .arg(area.width())
                                    .arg(area.height())
                                    .arg(placed.x())
                                    .arg(placed.y())));
        }
    }
}

QTEST_MAIN(TestUi)
#include "tst_ui.moc"
