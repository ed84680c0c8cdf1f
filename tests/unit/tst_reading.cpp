#include "main_window_test.h"
#include "oracle/oracle_table.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>

#include <cmath>

using namespace zel;

// Asking, reading and going back, by mouse and by keyboard, with any question.
class TestReading : public MainWindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { drawAsDesigned(); }

    void readingShowsTheDrawnEntry_data();
    void readingShowsTheDrawnEntry();
    void labelsAreSetBeforeTheResultPanelComesForward();
    void buttonsWorkInBothStates_data();
    void buttonsWorkInBothStates();
    void enterAndEscapeDoNothing_data();
    void enterAndEscapeDoNothing();
    void returnPressesTheFocusedButton();
    void oddQuestions_data();
    void oddQuestions();
    void tenThousandReadingsKeepMemoryFlat();
};

void TestReading::readingShowsTheDrawnEntry_data()
{
    columns<float, QString, int>("r", "question", "index");

    row("empty question, r 0", 0.0f, QString(), 0);
    row("tie goes to USIL", 0.5f, QStringLiteral("Will it rain?"), 12);
    row("blank question", 0.3f, QStringLiteral("   "), 8);
    row("TURAN has QUTUM's reading", 0.96f, QStringLiteral("love?"), 24);
    row("highest r is TURMS", std::nextafter(1.0f, 0.0f), QStringLiteral("x"), 25);
}

void TestReading::readingShowsTheDrawnEntry()
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

void TestReading::labelsAreSetBeforeTheResultPanelComesForward()
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

// Each button by its access key, covered or not, and by the mouse where it is
// in front: a reading replaces the one before, and going back empties the
// question but keeps the last reading; the focus stays in the question field.
void TestReading::buttonsWorkInBothStates_data()
{
    columns<bool, bool, bool>("startReading", "proceeds", "byMouse");
    for (const bool startReading : {false, true}) {
        for (const bool proceeds : {true, false}) {
            for (const bool byMouse : {false, true}) {
                if (!byMouse || proceeds != startReading) // the mouse reaches the front panel only
                    QTest::addRow("%s while %s, by %s", proceeds ? "Orvalis Reading" : "Back",
                                  startReading ? "reading" : "asking",
                                  byMouse ? "mouse" : "access key")
                        << startReading << proceeds << byMouse;
            }
        }
    }
}

void TestReading::buttonsWorkInBothStates()
{
    QFETCH(bool, startReading);
    QFETCH(bool, proceeds);
    QFETCH(bool, byMouse);

    feedRandom({0.0f, 0.5f});
    proceed(); // TINIA
    if (!startReading)
        back();
    QTest::keyClicks(control("txtQuestion"), QStringLiteral("why?"));

    if (byMouse) // the button takes the focus as it is pressed, and hands it back
        QTest::mouseClick(control(proceeds ? "cmdProceed" : "cmdBack"), Qt::LeftButton);
    else
        QTest::keyClick(window, proceeds ? Qt::Key_O : Qt::Key_B, Qt::AltModifier);

    // An access key presses its button visibly, so the click lands a moment later.
    QTRY_COMPARE(shownName(), proceeds ? QStringLiteral("USIL") : QStringLiteral("TINIA"));
    QTRY_COMPARE(question(), proceeds ? QStringLiteral("why?") : QString());
    QTRY_COMPARE(reading(), proceeds);
    QCOMPARE(QApplication::focusWidget(), control("txtQuestion"));
}

void TestReading::enterAndEscapeDoNothing_data()
{
    columns<bool, int>("startReading", "key");
    row("Return while asking", false, int(Qt::Key_Return));
    row("Enter while asking", false, int(Qt::Key_Enter));
    row("Return while reading", true, int(Qt::Key_Return));
    row("Escape while reading", true, int(Qt::Key_Escape));
}

void TestReading::enterAndEscapeDoNothing()
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

// Return on a focused button presses it (the Tab order itself is the trees'):
// Back (behind the two links), then the reading button.
void TestReading::returnPressesTheFocusedButton()
{
    proceed();
    control("txtQuestion")->setFocus();
    for (const bool readingAfter : {false, true}) {
        for (int i = readingAfter ? 1 : 3; i > 0; --i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab,
                            readingAfter ? Qt::NoModifier : Qt::ShiftModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE(reading(), readingAfter);
    }
}

// A question pasted at or past the length limit, control characters and any
// script: the question is kept as given, cut at the limit, and never stands
// in the way of a reading, which answers at once.
void TestReading::oddQuestions_data()
{
    QTest::addColumn<QString>("question");
    QString longest(32767, QLatin1Char('q'));
    for (qsizetype i = 0; i < longest.size(); i += 9)
        longest[i] = QLatin1Char(' ');
    QString mixed;
    while (mixed.size() < 4 * 32767)
        mixed
            += QStringLiteral("Ἀθηνᾶ 日本語 שלום مرحبا 😀👍🏽 question ");
    row("at the length limit", longest);
    row("mixed scripts and emoji, four times the limit", mixed);
    row("control characters", QStringLiteral("a\x01\x07\x1b\tb\x7f"));
    row("other scripts", QStringLiteral("Ἀθηνᾶ; 日本語; שלום; 😀"));
    row("lone surrogate", QString(QChar(0xD800)) + QStringLiteral("x"));
    row("markup", QStringLiteral("<b>bold</b> &amp; %s %n"));
}

void TestReading::oddQuestions()
{
    QFETCH(QString, question);
    feedRandom({0.5f, 0.0f});
    auto *field = control<QLineEdit>("txtQuestion");
    QGuiApplication::clipboard()->setText(question);
    QTest::keySequence(field, QKeySequence::Paste);
    QCOMPARE(field->text(), question.left(32767));
    field->repaint(); // every glyph of the field laid out and drawn once

    QElapsedTimer timer;
    timer.start();
    QTest::mouseClick(control("cmdProceed"), Qt::LeftButton);
    window->repaint();
    const qint64 answered = timer.elapsed();
    // Wide enough for a busy machine and a sanitizer build; anything that
    // went over the whole text at each reading would take far longer.
    QVERIFY2(answered < 5000, qPrintable(QStringLiteral("%1 ms").arg(answered)));
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

void TestReading::tenThousandReadingsKeepMemoryFlat()
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

QTEST_MAIN(TestReading)
#include "tst_reading.moc"
