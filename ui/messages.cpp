#include "ui/messages.h"

#include "ui/look.h"

#include <QMessageBox>
#include <QPointer>

namespace zel::messages {
namespace {

Answerer replacement; // the tests' stand-in for the boxes, while they set one
QPointer<QMessageBox> showing; // the box up now, if any

bool show(const Request &request)
{
    if (replacement)
        return replacement(request);
    // A box blocks every window, so only a screen reader can press what
    // raises another meanwhile: the box already up comes to the front, and
    // that press answers nothing.
    if (showing) {
        showing->raise();
        showing->activateWindow();
        return false;
    }

    const bool yesNo = request.kind == Kind::YesNo;
    QMessageBox box(request.kind == Kind::Error ? QMessageBox::Critical : QMessageBox::Information,
                    look::appTitle(), look::shownLineBreaks(request.text),
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, request.parent);
    box.setTextFormat(Qt::PlainText);
    // A box with no window of ours under it (at start-up) stays above every
    // window, a topmost support window of a running instance included, so
    // it can never open where nobody sees it.
    if (!request.parent)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.setDefaultButton(yesNo ? QMessageBox::Yes : QMessageBox::Ok);
    showing = &box;
    return box.exec() == (yesNo ? QMessageBox::Yes : QMessageBox::Ok);
}

} // namespace

void notice(QWidget *parent, const QString &text)
{
    show({parent, Kind::Notice, text});
}

void error(QWidget *parent, const QString &text)
{
    show({parent, Kind::Error, text});
}

bool ask(QWidget *parent, const QString &text)
{
    return show({parent, Kind::YesNo, text});
}

void setAnswererForTests(Answerer answerer)
{
    replacement = std::move(answerer);
}

} // namespace zel::messages
