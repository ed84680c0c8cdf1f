#pragma once

#include <QString>

#include <functional>

class QWidget;

// The program's message boxes: modal, titled "Zel Orvalis", parented to the
// window that raises them so none can open behind it.
namespace zel::messages {

enum class Kind {
    Notice, // information icon, OK
    Error, // error icon, OK
    YesNo, // information icon, Yes (the default) and No
};

struct Request
{
    QWidget *parent = nullptr;
    Kind kind = Kind::Notice;
    QString text;
};

void notice(QWidget *parent, const QString &text);
void error(QWidget *parent, const QString &text);
// True when the user answers Yes.
bool ask(QWidget *parent, const QString &text);

// Tests answer boxes without showing them; an empty function shows them again.
using Answerer = std::function<bool(const Request &request)>;
void setAnswererForTests(Answerer answerer);

} // namespace zel::messages
