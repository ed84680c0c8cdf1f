#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs `step` on the next modal window once it is up. A test starts this
// before the call that blocks in exec(), as Qt's own tests do with dialogs.
inline void whenModalIsUp(std::function<void(QWidget *modal)> step)
{
    QTimer::singleShot(10, [step] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) {
            whenModalIsUp(step);
            return;
        }
        step(modal);
    });
}
