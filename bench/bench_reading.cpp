// The cost of one reading: from the command to both labels set and the result
// panel in front.
#include "main_window/main_window.h"
#include "ui/fonts.h"
#include "ui/look.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

class BenchReading : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reading()
    {
        zel::look::installFontSubstitutes();
        zel::MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *proceed = window.findChild<QPushButton *>(QStringLiteral("cmdProceed"));
        QBENCHMARK
        {
            proceed->click();
        }
        QVERIFY(!window.findChild<QLabel *>(QStringLiteral("lblResult_0"))->text().isEmpty());
    }
};

QTEST_MAIN(BenchReading)
#include "bench_reading.moc"
