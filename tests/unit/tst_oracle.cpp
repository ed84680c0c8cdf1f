#include "fixture.h"
#include "oracle/oracle_table.h"
#include "oracle/random_source.h"
#include "oracle/rounding.h"

#include <QSet>

#include <cfenv>
#include <cmath>
#include <limits>
#include <random>

using namespace zel;
using oracle::EntryCount;

class TestOracle : public Fixture
{
    Q_OBJECT

private Q_SLOTS:
    void entryIndexFor_data();
    void entryIndexFor();
    void neighbourBoundaries_data();
    void neighbourBoundaries() { entryIndexFor(); } // the same check over its own rows
    void rounding_data();
    void rounding();
    void roundingIgnoresCallersRoundingMode();

    void tableShape();
    void tableKeepsItsOwnWords_data();
    void tableKeepsItsOwnWords();
    void sharedReadings();
    void displayedText();
    void boundCheck_data();
    void boundCheck();

    void randomNeverReachesOne_data();
    void randomNeverReachesOne();
    void clockSeededValuesStayInRange();
    void endsComeUpHalfAsOften();
};

void TestOracle::entryIndexFor_data()
{
    columns<float, int>("r", "index");

    const float belowOne = std::nextafter(1.0f, 0.0f);
    row("zero is TINIA", 0.0f, 0);
    row("0.02 in single precision", 0.02f, 0);
    row("half ties to even: USIL", 0.5f, 12);
    row("largest float below one is TURMS", belowOne, 25);
}

void TestOracle::entryIndexFor()
{
    QFETCH(float, r);
    QFETCH(int, index);
    QCOMPARE(oracle::entryIndexFor(r), index);
}

// Between entries k and k+1 lies p = k + 0.5, that is r = (k + 0.5) / 25. The
// floats on either side of that border must fall to either neighbour.
void TestOracle::neighbourBoundaries_data()
{
    columns<float, int>("r", "index");

    for (int k = 0; k < EntryCount - 1; ++k) {
        const double border = (k + 0.5) / 25.0;
        float below = static_cast<float>(border);
        while (static_cast<double>(below) >= border)
            below = std::nextafter(below, 0.0f);
        float above = static_cast<float>(border);
        while (static_cast<double>(above) <= border)
            above = std::nextafter(above, 1.0f);
        QTest::addRow("below %d|%d", k, k + 1) << below << k;
        QTest::addRow("above %d|%d", k, k + 1) << above << k + 1;
    }
}

void TestOracle::rounding_data()
{
    columns<double, int>("value", "rounded");

    row("0.5 to even 0", 0.5, 0);
    row("1.5 to even 2", 1.5, 2);
    row("2.5 to even 2", 2.5, 2);
    row("12.5 to even 12", 12.5, 12);
    row("6.5 to even 6", 6.5, 6);
    row("-0.5 to even 0", -0.5, 0);
    row("-1.5 to even -2", -1.5, -2);
    row("2.4999 down", 2.4999, 2);
    row("2.5001 up", 2.5001, 3);
    row("largest 16-bit", 32767.0, 32767);
    row("saturates high", 1e9, 32767);
    row("saturates low", -1e9, -32768);
    row("infinity saturates", std::numeric_limits<double>::infinity(), 32767);
    row("NaN gives zero", std::numeric_limits<double>::quiet_NaN(), 0);
}

void TestOracle::rounding()
{
    QFETCH(double, value);
    QFETCH(int, rounded);
    QCOMPARE(oracle::roundToInt16(value), rounded);
}

void TestOracle::roundingIgnoresCallersRoundingMode()
{
    const int saved = std::fegetround();
    std::fesetround(FE_UPWARD);
    const auto tie = oracle::roundToInt16(2.5);
    const auto upper = oracle::roundToInt16(2.2);
    const int modeAfter = std::fegetround();
    std::fesetround(saved);
    QCOMPARE(tie, 2);
    QCOMPARE(upper, 2);
    QCOMPARE(modeAfter, FE_UPWARD);
}

void TestOracle::tableShape()
{
    const auto &table = oracle::table();
    QSet<std::string_view> names, meanings, readings;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const auto &entry = table[i];
        QCOMPARE(entry.index, static_cast<std::int16_t>(i));
        QCOMPARE(&oracle::entryAt(entry.index), &entry);
        QVERIFY(!entry.name.empty() && !entry.meaning.empty() && !entry.reading.empty());
        const QString name = QString::fromUtf8(entry.name.data(), entry.name.size());
        QCOMPARE(name, name.toUpper());
        names.insert(entry.name);
        meanings.insert(entry.meaning);
        readings.insert(entry.reading);
    }
    QCOMPARE(table.size(), std::size_t(26));
    QCOMPARE(names.size(), 26);
    QCOMPARE(meanings.size(), 26);
    QCOMPARE(readings.size(), 24);
}

// The oracle's texts are shown as written, mistakes and all.
void TestOracle::tableKeepsItsOwnWords_data()
{
    columns<int, QString, QString>("index", "name", "fragment");

    row("first", 0, "TINIA", "Supreme God of the Etruscans. Husband to Uni.");
    row("agresive", 3, "HERCLE", "don't be too agresive.");
    row("no space after comma", 4, "NETHUNS", "fresh water,seas and oceans.");
    row("name with a space", 10, "CEL ATI", "You efforts will give your rewards.");
    row("cereful", 15, "ISTER", "Be cereful not to trust");
    row("recieve", 16, "KANA", "You will recieve an unexpected gift.");
    row("creativty", 19, "PULUMCHVA", "new ideas and creativty that");
    row("last", 25, "TURMS", "God of Trade and Merchandise.");
}

void TestOracle::tableKeepsItsOwnWords()
{
    QFETCH(int, index);
    QFETCH(QString, name);
    QFETCH(QString, fragment);
    const auto &entry = oracle::entryAt(static_cast<std::int16_t>(index));
    QCOMPARE(QString::fromUtf8(entry.name.data(), entry.name.size()), name);
    const QString text = QString::fromStdString(oracle::displayedText(entry));
    QVERIFY2(text.contains(fragment), qPrintable(text));
}

void TestOracle::sharedReadings()
{
    const auto &turan = oracle::entryAt(24);
    const auto &turms = oracle::entryAt(25);
    QCOMPARE(turan.name, std::string_view("TURAN"));
    QCOMPARE(turan.meaning, std::string_view("Goddess of Love."));
    QCOMPARE(turan.reading, oracle::entryAt(21).reading);
    QCOMPARE(turms.name, std::string_view("TURMS"));
    QCOMPARE(turms.reading, oracle::entryAt(20).reading);
    QVERIFY(turan.meaning != oracle::entryAt(21).meaning);
    QVERIFY(turms.meaning != oracle::entryAt(20).meaning);
}

void TestOracle::displayedText()
{
    QCOMPARE(oracle::displayedText(oracle::entryAt(13)),
             std::string("Writing\r\nYou will receive a mail or letter. This is the time for "
                         "learning and teaching."));
    for (const auto &entry : oracle::table()) {
        const std::string text = oracle::displayedText(entry);
        QCOMPARE(text.size(), entry.meaning.size() + 2 + entry.reading.size());
        QCOMPARE(text.find('\n'), entry.meaning.size() + 1);
    }
}

void TestOracle::boundCheck_data()
{
    columns<int, bool>("index", "inBounds");
    row("-1", -1, false);
    row("0", 0, true);
    row("25", 25, true);
    row("26", 26, false);
    row("most negative", -32768, false);
}

void TestOracle::boundCheck()
{
    QFETCH(int, index);
    QFETCH(bool, inBounds);
    QCOMPARE(oracle::indexInBounds(static_cast<std::int16_t>(index)), inBounds);
}

void TestOracle::randomNeverReachesOne_data()
{
    columns<quint32, float>("bits", "r");
    row("all zeros", quint32(0), 0.0f);
    row("all ones", quint32(0xFFFFFFFFu), std::nextafter(1.0f, 0.0f));
    row("low byte ignored", quint32(0x000000FFu), 0.0f);
    row("top bit only", quint32(0x80000000u), 0.5f);
    row("smallest step", quint32(0x00000100u), 0x1.0p-24f);
}

void TestOracle::randomNeverReachesOne()
{
    QFETCH(quint32, bits);
    QFETCH(float, r);
    oracle::setBitSourceForTests([bits] { return bits; });
    const float drawn = oracle::nextRandom();
    QCOMPARE(drawn, r);
    QVERIFY(drawn >= 0.0f && drawn < 1.0f);
    QVERIFY(oracle::indexInBounds(oracle::entryIndexFor(drawn)));
}

void TestOracle::clockSeededValuesStayInRange()
{
    oracle::seedFromClock();
    double sum = 0;
    constexpr int draws = 200000;
    for (int i = 0; i < draws; ++i) {
        const float r = oracle::nextRandom();
        QVERIFY(r >= 0.0f && r < 1.0f);
        sum += r;
    }
    QVERIFY(std::abs(sum / draws - 0.5) < 0.01);
}

// Entries 0 and 25 take half a step of p each: 1/50 against 1/25.
void TestOracle::endsComeUpHalfAsOften()
{
    std::mt19937 engine(20261207u);
    oracle::setBitSourceForTests([&engine] { return static_cast<std::uint32_t>(engine()); });

    constexpr int draws = 500000;
    std::array<int, EntryCount> counts {};
    for (int i = 0; i < draws; ++i) {
        const auto index = oracle::entryIndexFor(oracle::nextRandom());
        QVERIFY(oracle::indexInBounds(index));
        ++counts[static_cast<std::size_t>(index)];
    }
    const double middleShare = draws / 25.0;
    for (int i = 1; i < EntryCount - 1; ++i)
        QVERIFY2(std::abs(counts[i] - middleShare) < 0.05 * middleShare,
                 qPrintable(QString::number(i)));
    for (int end : {0, EntryCount - 1})
        QVERIFY2(std::abs(counts[end] - middleShare / 2) < 0.05 * middleShare / 2,
                 qPrintable(QString::number(end)));
}

QTEST_APPLESS_MAIN(TestOracle)
#include "tst_oracle.moc"
