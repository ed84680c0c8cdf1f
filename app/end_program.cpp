#include "end_program.h"

#include "instance_lock.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace app {

void end_program()
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

    release_instance_lock();
    std::fflush(nullptr);
    // Nothing more runs: no event handler, no destructor that might store state.
    std::_Exit(0);
}

} // namespace app
