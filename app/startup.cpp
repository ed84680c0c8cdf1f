#include "startup.h"

#include "end_program.h"
#include "instance_lock.h"
#include "look.h"
#include "main_window.h"
#include "messages.h"
#include "random_source.h"
#include "update_reminder.h"

#include <QApplication>
#include <QIcon>

namespace app {

namespace {
const QString AlreadyRunning = QStringLiteral("Application is already running");
} // namespace

bool refuse_second_instance()
{
    if (acquire_instance_lock() != InstanceLock::HeldByAnother)
        return false;
    messages::notice(nullptr, AlreadyRunning);
    return true;
}

MainWindow *start_program()
{
    look::install_font_substitutes();
    QGuiApplication::setDesktopFileName(QStringLiteral(ZEL_APP_ID));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/assets/icon.png")));

    if (refuse_second_instance())
        end_program();

    oracle::seed_from_clock();
    run_update_reminder();

    // A top-level window without a parent; it deletes itself once closed.
    auto *mainWindow = new MainWindow;
    mainWindow->setAttribute(Qt::WA_DeleteOnClose);
    look::centre_on_screen(mainWindow);
    mainWindow->show();
    mainWindow->CoBrand_Randomize();
    return mainWindow;
}

int run_program(QApplication &application)
{
    start_program();
    return application.exec();
}

} // namespace app
