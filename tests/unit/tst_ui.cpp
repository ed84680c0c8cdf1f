#include "data_row.h"
#include "ends_within.h"
#include "ui/limited_text_edit.h"
#include "ui/link_label.h"
#include "ui/look.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <climits>

using namespace zel;

namespace {

// The longest start of `text`, in whole characters, that takes at most `room`
// units of a field; a CR LF is the one line break it becomes there.
QString fitIn(QString text, int room)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QString kept;
    for (qsizetype i = 0, size = 1; i < text.size(); i += size) {
        size = text.at(i).isHighSurrogate() ? 2 : 1;
        if (kept.size() + size > room)
            break;
        kept += text.mid(i, size);
    }
    return kept;
}

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
    void linkDrawsAsAPlainLabel_data();
    void linkDrawsAsAPlainLabel();
    void fieldsStayWhiteOnADarkDesktop();
    void limitedFieldKeepsWhatFits_data();
    void limitedFieldKeepsWhatFits();
    void megabyteFromAScreenReaderIsCutAtOnce_data();
    void megabyteFromAScreenReaderIsCutAtOnce();
    void textAroundAnyOffsetAnswersAtOnce_data();
    void textAroundAnyOffsetAnswersAtOnce();
    void everyCallAnswersAtOnce_data();
    void everyCallAnswersAtOnce();
    void extentsCostInProportionToTheText();
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
    QTest::mouseRelease(&link, Qt::LeftButton, {}, QPoint(10, 5)); // no press: no click
    QCOMPARE(clicked.size(), clicks);
}

// Unfocused, a link draws its text exactly where a plain label would, at
// every scale, one line or wrapped.
void TestUi::linkDrawsAsAPlainLabel_data()
{
    QTest::addColumn<qreal>("scale");
    QTest::addColumn<bool>("wraps");
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

// A megabyte on one line, written by a screen reader or set by the program:
// the message field keeps its first 2,000 characters and answers at once.
void TestUi::megabyteFromAScreenReaderIsCutAtOnce_data()
{
    QTest::addColumn<QString>("how");
    row("set", "set");
    row("written over the whole text", "replace");
    row("inserted", "insert");
    row("set by the program", "program");
}

void TestUi::megabyteFromAScreenReaderIsCutAtOnce()
{
    QFETCH(QString, how);
    const QString megabyte(1 << 20, QLatin1Char('m')); // one word: the slowest to lay out
    LimitedTextEdit field(2000);
    field.resize(300, 100);
    field.setPlainText(QStringLiteral("Your Message\n"));
    field.show();
    QVERIFY(QTest::qWaitForWindowExposed(&field));
    QAccessibleInterface *heard = QAccessible::queryAccessibleInterface(&field);

    QElapsedTimer timer;
    timer.start();
    if (how == QLatin1String("set"))
        heard->setText(QAccessible::Value, megabyte);
    else if (how == QLatin1String("replace"))
        heard->editableTextInterface()->replaceText(0, heard->textInterface()->characterCount(),
                                                    megabyte);
    else if (how == QLatin1String("insert"))
        heard->editableTextInterface()->insertText(0, megabyte);
    else
        field.setPlainText(megabyte);
    field.repaint();
    QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(field.toPlainText(),
             how == QLatin1String("insert") ? megabyte.left(1987) + QStringLiteral("Your Message\n")
                                            : megabyte.left(2000));
}

// A screen reader asks for the character, word, sentence, line or whole text
// at, before and after any offset of a field: -2 is the caret, -1 the end.
// Every answer comes at once, and the word at the end is the last one.
void TestUi::textAroundAnyOffsetAnswersAtOnce_data()
{
    QTest::addColumn<bool>("multiLine");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("word");
    for (bool multiLine : {false, true}) {
        const char *field = multiLine ? "message field" : "line field";
        QTest::addRow("%s, caret at the end", field) << multiLine << -2 << "anything";
        QTest::addRow("%s, end", field) << multiLine << -1 << "anything";
        QTest::addRow("%s, start", field) << multiLine << 0 << "Ask";
        QTest::addRow("%s, length", field) << multiLine << 15 << "anything";
        QTest::addRow("%s, beyond the end", field) << multiLine << 16 << "";
    }
}

void TestUi::textAroundAnyOffsetAnswersAtOnce()
{
    QFETCH(bool, multiLine);
    QFETCH(int, offset);
    QFETCH(QString, word);
    QWidget window;
    const QString question = QStringLiteral("Ask me anything");
    QWidget *field = nullptr;
    if (multiLine) {
        auto *message = new LimitedTextEdit(2000, &window);
        message->setPlainText(question);
        message->moveCursor(QTextCursor::End);
        field = message;
    } else {
        auto *line = look::lineField(&window, "txtQuestion", QRect(0, 0, 220, 20), 32767);
        line->setText(question);
        field = line;
    }
    QAccessibleTextInterface *text = QAccessible::queryAccessibleInterface(field)->textInterface();
    QString heard;
    const bool answered = endsWithin(2000, [&] {
        for (auto type :
             {QAccessible::CharBoundary, QAccessible::WordBoundary, QAccessible::SentenceBoundary,
              QAccessible::ParagraphBoundary, QAccessible::LineBoundary, QAccessible::NoBoundary}) {
            int start = 0;
            int end = 0;
            text->textBeforeOffset(offset, type, &start, &end);
            text->textAfterOffset(offset, type, &start, &end);
            const QString at = text->textAtOffset(offset, type, &start, &end);
            if (type == QAccessible::WordBoundary)
                heard = at;
        }
    });
    QVERIFY(answered);
    QCOMPARE(heard, word);
    int first = -1;
    int last = -1;
    QCOMPARE(text->textBeforeOffset(0, QAccessible::WordBoundary, &first, &last), QString());
    // Nothing is selected until a screen reader selects, and then it is; what
    // it unselects and deletes goes.
    int start = -1;
    int end = -1;
    QCOMPARE(text->selectionCount(), 0);
    text->selection(0, &start, &end);
    QCOMPARE(std::make_pair(start, end), std::make_pair(0, 0));
    text->addSelection(4, 6);
    text->selection(0, &start, &end);
    QCOMPARE(std::make_pair(start, end), std::make_pair(4, 6));
    text->removeSelection(0);
    QCOMPARE(text->selectionCount(), 0);
    QAccessible::queryAccessibleInterface(field)->editableTextInterface()->deleteText(0, 4);
    QCOMPARE(text->text(0, text->characterCount()), question.mid(4));
}

// Every call a screen reader makes on a field, at every offset in and around
// its text and far outside it, answers within a second. An edit outside the
// text changes nothing; one inside keeps the text around it and adds what
// fits, in whole characters.
void TestUi::everyCallAnswersAtOnce_data()
{
    QTest::addColumn<bool>("multiLine");
    QTest::addColumn<QString>("text");
    for (const char *text :
         {" Will I win? ", "\u00bfQu\u00e9 pasar\u00e1?", "\u00bfHola?", "\U0001F600 ok \U0001F600",
          "\u0301e\u0301 a\u0308", "?!...", "",
          "\u0645\u0631\u062d\u0628\u0627 \u0628\u0643\u0645\u061f", "!\u05e9\u05dc\u05d5\u05dd"}) {
        for (bool multiLine : {false, true})
            QTest::addRow("%s \"%s\"", multiLine ? "message" : "line", text)
                << multiLine << QString::fromUtf8(text);
    }
}

void TestUi::everyCallAnswersAtOnce()
{
    QFETCH(bool, multiLine);
    QFETCH(QString, text);
    constexpr int Limit = 21; // odd: half an emoji would fit
    QWidget window;
    auto *message = multiLine ? new LimitedTextEdit(Limit, &window) : nullptr;
    QWidget *field = message ? static_cast<QWidget *>(message)
                             : look::lineField(&window, "field", QRect(0, 0, 220, 20), Limit);
    QAccessibleInterface *heard = QAccessible::queryAccessibleInterface(field);
    QAccessibleTextInterface *read = heard->textInterface();
    QAccessibleEditableTextInterface *write = heard->editableTextInterface();
    const int length = int(text.size());
    const QString added = QStringLiteral("\U0001F600").repeated(Limit);
    QList<int> offsets {INT_MIN, -INT_MAX};
    for (int offset = -3; offset <= length + 1; ++offset)
        offsets << offset;
    for (int offset : offsets << INT_MAX) {
        heard->setText(QAccessible::Value, text);
        if (message)
            message->document()->rootFrame(); // made here, not on a reading thread
        QVERIFY2(endsWithin(1000,
                            [read, offset] {
                                int start, end;
                                for (int type = 0; type <= QAccessible::NoBoundary; ++type) {
                                    const auto boundary = QAccessible::TextBoundaryType(type);
                                    read->textBeforeOffset(offset, boundary, &start, &end);
                                    read->textAtOffset(offset, boundary, &start, &end);
                                    read->textAfterOffset(offset, boundary, &start, &end);
                                }
                                read->text(offset, INT_MAX) + read->text(INT_MIN, offset);
                                read->offsetAtPoint(read->characterRect(offset).center());
                                read->attributes(offset, &start, &end);
                                read->selection(offset, &start, &end);
                            }),
                 qPrintable(QString::number(offset)));
        for (int edit = 1; edit <= 3; ++edit) { // delete, write over, insert
            heard->setText(QAccessible::Value, text);
            QElapsedTimer timer;
            timer.start();
            read->setCursorPosition(offset);
            read->setSelection(0, offset, length);
            read->addSelection(INT_MIN, offset);
            read->removeSelection(0);
            read->scrollToSubstring(offset, INT_MAX);
            const int at = offset == -2 ? read->cursorPosition()
                                        : qBound(0, offset == -1 ? length : offset, length);
            if (edit == 1)
                write->deleteText(offset, length);
            else if (edit == 2)
                write->replaceText(0, offset, added);
            else
                write->insertText(offset, added);
            QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(offset)));
            const int from = edit == 2 ? 0 : at;
            const int to = edit == 1 ? length : at;
            const QString piece = fitIn(edit > 1 ? added : QString(), Limit - length + to - from);
            QCOMPARE(read->text(0, read->characterCount()),
                     offset >= -2 && offset <= length ? text.left(from) + piece + text.mid(to)
                                                      : text);
        }
    }
    heard->setText(QAccessible::Value, added);
    QCOMPARE(read->text(0, read->characterCount()), fitIn(added, Limit));
}

// The extents of a whole text, asked character by character as a screen
// reader asks them, cost in proportion to its length in either field.
void TestUi::extentsCostInProportionToTheText()
{
    for (int most : {2000, 30000}) {
        QWidget window;
        QWidget *field = most == 2000
            ? static_cast<QWidget *>(new LimitedTextEdit(most, &window))
            : look::lineField(&window, "field", QRect(0, 0, 220, 20), 32767);
        QAccessibleInterface *heard = QAccessible::queryAccessibleInterface(field);
        int took = 1000;
        for (int size : {most / 10, most}) {
            heard->setText(QAccessible::Value, QStringLiteral("Will I win? ").repeated(size / 12));
            QElapsedTimer timer;
            timer.start();
            QVERIFY(endsWithin(10 * took + 200, [read = heard->textInterface()] {
                for (int at = 0; at < read->characterCount(); ++at)
                    read->characterRect(at);
            }));
            took = int(timer.elapsed());
        }
    }
}

QTEST_MAIN(TestUi)
#include "tst_ui.moc"
