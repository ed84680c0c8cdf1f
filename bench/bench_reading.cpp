// The cost of one reading: from the command to both labels set and the result
// panel in front.
#include "look.h"
#include "main_window.h"

#include <QLabel>
#include <QTest>

class BenchReading : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reading()
    {
        look::install_font_substitutes();
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QBENCHMARK
        {
            window.cmdProceed_Click();
        }
        QVERIFY(!window.findChild<QLabel *>(QStringLiteral("lblResult_0"))->text().isEmpty());
    }
};

QTEST_MAIN(BenchReading)
#include "bench_reading.moc"
