#pragma once

#include "modal_helper.h"

#include <QAbstractButton>
#include <QMessageBox>
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

// A message box as the user sees it.
struct SeenBox
{
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

// Answers the next modal message box with OK once it is up, recording it.
inline void answerNextBox(SeenBox *seen)
{
    whenModalIsUp([seen](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->icon = box->icon();
        for (QAbstractButton *button : box->buttons())
            seen->buttons << button->text();
        box->button(QMessageBox::Ok)->click();
    });
}
