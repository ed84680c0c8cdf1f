#pragma once

#include <QGuiApplication>
#include <QWidget>

namespace zel {

// The Windows handle of the widget's window, for the few calls Qt has no
// word for; null where Qt draws its windows some other way (such as the
// off-screen platform), whose window ids are counters, not handles: given
// to the system, such an id names some other window of the process.
inline void *windowsHandle(QWidget *widget)
{
    if (QGuiApplication::platformName() != QLatin1String("windows"))
        return nullptr;
    return reinterpret_cast<void *>(widget->window()->winId());
}

} // namespace zel
