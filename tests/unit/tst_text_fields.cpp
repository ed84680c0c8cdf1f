#include "ends_within.h"
#include "fit_in.h"
#include "fixture.h"
#include "ui/limited_text_edit.h"
#include "ui/look.h"

#include <QAccessible>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTextDocument>

#include <climits>

using namespace zel;

// What a screen reader meets in the two kinds of text field, the single-line
// field and the message field: every call answers at once, whatever it asks.
class TestTextFields : public Fixture
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { drawAsDesigned(); }

    void megabyteFromAScreenReaderIsCutAtOnce_data();
    void megabyteFromAScreenReaderIsCutAtOnce();
    void textAroundAnyOffsetAnswersAtOnce_data();
    void textAroundAnyOffsetAnswersAtOnce();
    void everyCallAnswersAtOnce_data();
    void everyCallAnswersAtOnce();
    void extentsCostInProportionToTheText();
};

// A megabyte on one line, written by a screen reader or set by the program:
// the message field keeps its first 2,000 characters and answers at once.
void TestTextFields::megabyteFromAScreenReaderIsCutAtOnce_data()
{
    QTest::addColumn<QString>("how");
    row("set", "set");
    row("written over the whole text", "replace");
    row("inserted", "insert");
    row("set by the program", "program");
}

void TestTextFields::megabyteFromAScreenReaderIsCutAtOnce()
{
    QFETCH(QString, how);
    const QString megabyte(1 << 20, QLatin1Char('m')); // one word: the slowest to lay out
    auto &field = *openWindow<LimitedTextEdit>(2000);
    field.resize(300, 100);
    field.setPlainText(QStringLiteral("Your Message\n"));
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
void TestTextFields::textAroundAnyOffsetAnswersAtOnce_data()
{
    columns<bool, int, QString>("multiLine", "offset", "word");
    for (bool multiLine : {false, true}) {
        const char *field = multiLine ? "message field" : "line field";
        QTest::addRow("%s, caret at the end", field) << multiLine << -2 << "anything";
        QTest::addRow("%s, end", field) << multiLine << -1 << "anything";
        QTest::addRow("%s, start", field) << multiLine << 0 << "Ask";
        QTest::addRow("%s, length", field) << multiLine << 15 << "anything";
        QTest::addRow("%s, beyond the end", field) << multiLine << 16 << "";
    }
}

void TestTextFields::textAroundAnyOffsetAnswersAtOnce()
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
void TestTextFields::everyCallAnswersAtOnce_data()
{
    columns<bool, QString>("multiLine", "text");
    for (const char *text :
         {" Will I win? ", "\u00bfQu\u00e9 pasar\u00e1?", "\u00bfHola?", "\U0001F600 ok \U0001F600",
          "\u0301e\u0301 a\u0308", "?!...", "",
          "\u0645\u0631\u062d\u0628\u0627 \u0628\u0643\u0645\u061f", "!\u05e9\u05dc\u05d5\u05dd"}) {
        for (bool multiLine : {false, true})
            QTest::addRow("%s \"%s\"", multiLine ? "message" : "line", text)
                << multiLine << QString::fromUtf8(text);
    }
}

void TestTextFields::everyCallAnswersAtOnce()
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
void TestTextFields::extentsCostInProportionToTheText()
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

QTEST_MAIN(TestTextFields)
#include "tst_text_fields.moc"
