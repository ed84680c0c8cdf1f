#include "app/end_program.h"

#include "app/instance_lock.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace zel {

void endProgram()
{
    QList<QPointer<QWidget>> windows;
    for (QWidget *window : QApplication::topLevelWidgets())
        windows.append(window);

    for (const QPointer<QWidget> &window : windows) {
        // A window that refuses to close, or a handler that fails, does not
        // keep the program alive.
        try {
            if (window)
                window->close();
        } catch (...) { }
    }

    releaseInstanceLock();
    std::fflush(nullptr);
    // Nothing more runs: no event handler, no destructor that might store state.
    std::_Exit(0);
}

} // namespace zel
