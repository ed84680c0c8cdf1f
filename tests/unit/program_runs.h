#pragma once

#include <QProcess>

#include <memory>
#include <vector>

// The real program run beside a test, each run ended with the test.
class ProgramRuns
{
public:
    QProcess *start()
    {
        runs.push_back(std::make_unique<QProcess>());
        QProcess *run = runs.back().get();
        run->setProgram(QStringLiteral(ZEL_BINARY));
        run->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        run->start();
        return run;
    }
    void endAll()
    {
        for (const auto &run : runs) {
            run->kill();
            run->waitForFinished();
        }
        runs.clear();
    }
    ~ProgramRuns() { endAll(); }

private:
    std::vector<std::unique_ptr<QProcess>> runs;
};
