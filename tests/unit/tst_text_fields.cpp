#include "ends_within.h"
#include "fit_in.h"
#include "fixture.h"
#include "ui/limited_text_edit.h"
#include "ui/look.h"

#include <QAccessible>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTextBoundaryFinder>
#include <QTextDocument>

#include <climits>
#include <memory>
#include <tuple>

using namespace zel;

// What a screen reader meets in the two kinds of text field, the single-line
// field and the message field: every call answers at once, whatever it asks,
// and every answer means what the field shows.
class TestTextFields : public Fixture
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { drawAsDesigned(); }

    void everyCallAnswersAtOnce_data();
    void everyCallAnswersAtOnce();
    void extentsCostInProportionToTheText();
    void answersMeanWhatTheFieldShows();
};

namespace {

// `value` as a test prints it: a text quoted, every character outside ASCII as \uXXXX.
template<typename T>
QString printed(const T &value)
{
    return QString::fromLatin1(std::unique_ptr<char[]>(QTest::toString(value)).get());
}

// What a screen reader is told of `field` (a single-line field or a message
// field) once it shows `text`, held against the field's own text and
// geometry: the first answer that disagrees, or nothing.
QString disagreement(QWidget *field, const QString &text)
{
    auto *message = qobject_cast<LimitedTextEdit *>(field);
    field->setProperty(message ? "plainText" : "text", text);
    const QString shown = field->property(message ? "plainText" : "text").toString();
    const int length = int(shown.size());
    QAccessibleTextInterface *read = QAccessible::queryAccessibleInterface(field)->textInterface();
    if (read->text(0, read->characterCount()) != shown)
        return "read as " + printed(read->text(0, read->characterCount()));
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, shown);
    const auto character = [&](int offset) { // the whole character `offset` lies in
        graphemes.setPosition(offset + 1);
        const int start = int(graphemes.toPreviousBoundary());
        return std::pair(start, int(graphemes.toNextBoundary()));
    };
    using Answer = std::tuple<QString, int, int>; // an item, its start and its end
    const Answer none(QString(), -1, -1);
    for (int type = QAccessible::CharBoundary; type <= QAccessible::LineBoundary; ++type) {
        const auto ask = [&](int offset, int step = 0) { // the item before, at or after
            Answer answer;
            auto &[item, start, end] = answer;
            const auto boundary = QAccessible::TextBoundaryType(type);
            item = step < 0 ? read->textBeforeOffset(offset, boundary, &start, &end)
                : step > 0  ? read->textAfterOffset(offset, boundary, &start, &end)
                            : read->textAtOffset(offset, boundary, &start, &end);
            return answer;
        };
        // Item after item, the whole text in order, then nothing: each the
        // text between its ends, whole characters (a character is one), and
        // the item at each of its offsets.
        Answer next = length ? ask(0) : none;
        int offset = 0, reached = 0;
        for (; next != none && offset < length; ++offset) {
            const auto &[item, start, end] = next;
            if (start != reached || end <= offset || item != shown.mid(start, end - start)
                || character(start).first != start || (end < length && character(end).first != end)
                || (type == 0 && character(start).second != end) || ask(offset) != next)
                break;
            if (offset + 1 == end)
                std::tie(reached, next) = std::pair(end, ask(start, 1));
        }
        // At the end, no character but the word, sentence or line that ends
        // there (a last line may be empty); -1 stands for the end, -2 for the
        // caret; there is nothing beyond the end, nor before the start.
        const Answer last = ask(length);
        const bool emptyLine = type > 2 && (length == 0 || shown.endsWith(u'\n'));
        if (offset < length || next != none
            || (type == 0       ? last != none
                    : emptyLine ? last != Answer({}, length, length) && (length || last != none)
                                : last != ask(length - 1))
            || ask(-1) != last || ask(-2) != ask(read->cursorPosition()) || ask(length + 1) != none
            || ask(0, -1) != none)
            return QStringLiteral("by boundary %1 at %2: %3, stepping to %4")
                .arg(type)
                .arg(offset)
                .arg(printed(ask(offset)), printed(offset < length ? next : last));
    }
    // Each character's box lies in the field, holds room for it where it takes
    // some, is the box of every offset in it, and follows the one before it
    // where no text runs right to left; the offset at its centre is its own.
    const QFontMetrics metrics(field->font());
    const QWidget *area = message ? message->viewport() : field;
    const QRect inside(area->mapToGlobal(QPoint()), area->size());
    const bool leftward
        = shown.contains(QRegularExpression(QStringLiteral("[\\p{Arabic}\\p{Hebrew}]")));
    QRect before(0, -1, 0, 0);
    for (int offset = 0; offset < length; ++offset) {
        const QRect box = read->characterRect(offset);
        const auto [first, end] = character(offset);
        const QString whole = shown.mid(first, end - first);
        const char *wrong
            = !inside.contains(box.topLeft()) || (!box.isEmpty() && !inside.contains(box))
            ? "outside the field"
            : box.isEmpty() && metrics.horizontalAdvance(whole) > 0 ? "empty"
            : box != read->characterRect(first)                     ? "not its character's"
            : whole.at(0).isHighSurrogate()
                && qAbs(box.width() - metrics.horizontalAdvance(whole)) > 1
            ? "not as wide as its character"
            : offset == first && box.y() == before.y() && !leftward && box.x() < before.right()
            ? "before the one before it"
            : !box.isEmpty() && read->offsetAtPoint(box.center()) != first
            ? "not where its offset is"
            : nullptr;
        if (wrong)
            return QStringLiteral("box of %1 %2: %3, offset %4 at its centre")
                .arg(offset)
                .arg(QLatin1String(wrong), printed(box))
                .arg(read->offsetAtPoint(box.center()));
        before = box;
    }
    return QString();
}

} // namespace

// Every call a screen reader makes on a field, at every offset in and around
// its text and far outside it, answers at once (within a few seconds, for a busy machine). An edit
// outside the text changes nothing; one inside keeps the text around it and adds what fits, in
// whole characters.
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
        QVERIFY2(endsWithin(5000,
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
            QCOMPARE(read->selectionCount(), 0); // nothing selected until a screen reader selects
            read->setCursorPosition(offset);
            read->setSelection(0, offset, length);
            read->addSelection(INT_MIN, offset);
            const int at = offset == -2 ? read->cursorPosition()
                                        : qBound(0, offset == -1 ? length : offset, length);
            int start = -1, end = -1;
            read->selection(0, &start, &end);
            QCOMPARE(std::tuple(read->selectionCount(), start, end),
                     std::tuple(at > 0 ? 1 : 0, 0, at));
            read->removeSelection(0);
            QCOMPARE(read->selectionCount(), 0);
            read->scrollToSubstring(offset, INT_MAX);
            if (edit == 1)
                write->deleteText(offset, length);
            else if (edit == 2)
                write->replaceText(0, offset, added);
            else
                write->insertText(offset, added);
            QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(offset)));
            // An edit takes whole characters, as Qt's own edges of them say.
            QTextBoundaryFinder edges(QTextBoundaryFinder::Grapheme, text);
            const auto edge = [&edges](int offset, bool after) {
                edges.setPosition(offset);
                if (!edges.isAtBoundary())
                    after ? edges.toNextBoundary() : edges.toPreviousBoundary();
                return int(edges.position());
            };
            const int from = edit == 2 ? 0 : edge(at, false);
            const int to = edit == 1 ? length : edit == 2 ? edge(at, true) : from;
            const QString piece = fitIn(edit > 1 ? added : QString(), Limit - length + to - from);
            QCOMPARE(read->text(0, read->characterCount()),
                     offset >= -2 && offset <= length ? text.left(from) + piece + text.mid(to)
                                                      : text);
        }
    }
}

// The extents of a whole text, asked character by character as a screen
// reader asks them, cost in proportion to its length in either field: ten
// times the text takes ten times as long, not the hundred times of a cost
// that grew with its square. A busy machine makes short runs tell little: no
// run counts for less than a tenth of a second, and none goes past 30 s.
void TestTextFields::extentsCostInProportionToTheText()
{
    for (int most : {2000, 30000}) {
        QWidget window;
        QWidget *field = most == 2000
            ? static_cast<QWidget *>(new LimitedTextEdit(most, &window))
            : look::lineField(&window, "field", QRect(0, 0, 220, 20), 32767);
        QAccessibleInterface *heard = QAccessible::queryAccessibleInterface(field);
        QAccessibleTextInterface *read = heard->textInterface();
        qint64 took = 750; // the tenth may take up to 30 s
        for (int size : {most / 10, most}) {
            heard->setText(QAccessible::Value, QStringLiteral("Will I win? ").repeated(size / 12));
            QElapsedTimer timer;
            timer.start();
            int at = 0;
            while (at < read->characterCount()
                   && timer.elapsed() < qMin(40 * qMax(took, 100LL), 30000LL))
                read->characterRect(at++);
            QVERIFY2(at == read->characterCount(),
                     qPrintable(QString::asprintf("%d characters in %lld ms, a tenth in %lld ms",
                                                  at, timer.elapsed(), took)));
            took = timer.elapsed();
        }
    }
}

// Texts of every kind a field meets, made of pieces at random (with a fixed
// seed), as a screen reader reads them: every answer agrees with the field's
// own text and geometry. A text that disagrees is shrunk, piece by piece, to
// the shortest that still does.
void TestTextFields::answersMeanWhatTheFieldShows()
{
    const QList<QStringList> kinds
        = {{"Will", "I", "win", "ok", "a1"},
           {" ", "  "},
           {"?", "!", ".", ",", "...", "\u00bf"},
           {"\U0001F600", "\U0001F44D", "\U00010348"},
           {"e\u0301", "a\u0308", "\u0301"},
           {"\u0645\u0631\u062d\u0628\u0627", "\u05e9\u05dc\u05d5\u05dd", "\u061f"},
           {"\n"}}; // line breaks in the message field alone
    QWidget window;
    QWidget *fields[] = {look::lineField(&window, "field", QRect(0, 0, 600, 24), 32767),
                         new LimitedTextEdit(2000, &window)};
    fields[1]->setGeometry(0, 30, 600, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QRandomGenerator random(1789);
    for (int round = 0; round < 400; ++round) {
        const bool multiLine = round % 2;
        QStringList pieces;
        for (int count = random.bounded(9); pieces.size() < count;) {
            const QStringList &kind = kinds.at(random.bounded(int(kinds.size()) - !multiLine));
            pieces << kind.at(random.bounded(int(kind.size())));
        }
        QString fault = disagreement(fields[multiLine], pieces.join(QString()));
        for (int drop = 0; !fault.isEmpty() && drop < pieces.size(); ++drop) {
            QStringList fewer = pieces;
            fewer.removeAt(drop);
            if (QString still = disagreement(fields[multiLine], fewer.join(QString()));
                !still.isEmpty())
                std::tie(pieces, fault, drop) = std::tuple(fewer, still, -1);
        }
        QVERIFY2(fault.isEmpty(),
                 qPrintable(QString(multiLine ? "message field " : "line field ")
                            + printed(pieces.join(QString())) + ": " + fault));
    }
}

QTEST_MAIN(TestTextFields)
#include "tst_text_fields.moc"
