#include "app/startup.h"

#include "accessibility/accessibility.h"
#include "app/end_program.h"
#include "app/instance_lock.h"
#include "main_window/main_window.h"
#include "oracle/random_source.h"
#include "reminder/update_reminder.h"
#include "support/support_window.h"
#include "ui/fonts.h"
#include "ui/held_key.h"
#include "ui/look.h"
#include "ui/messages.h"

#include <QApplication>
#include <QIcon>

namespace zel {

namespace {
const QString AlreadyRunning = QStringLiteral("Application is already running");

// The support window takes the main window's place, with no owner; it opens
// at most once, since the main window closes once.
void openSupportWindow(ProgramEnd end)
{
    auto *support = new SupportWindow;
    support->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(support, &SupportWindow::exitRequested, support, end);
    look::centreOnScreen(support);
    support->show();
}

} // namespace

void nameApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Velmora"));
    QCoreApplication::setApplicationName(look::appTitle());
}

bool refuseSecondInstance()
{
    if (acquireInstanceLock() != InstanceLock::HeldByAnother)
        return false;
    messages::notice(nullptr, AlreadyRunning);
    return true;
}

MainWindow *startProgram(ProgramEnd end)
{
    look::useDesignedStyle();
    look::installFontSubstitutes();
    accessibility::install();
    pressOncePerHold();
    QGuiApplication::setDesktopFileName(QStringLiteral(ZEL_APP_ID));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/assets/icon.png")));

    if (refuseSecondInstance()) {
        end();
        return nullptr;
    }

    oracle::seedFromClock();
    runUpdateReminder();

    // A top-level window without a parent; it deletes itself once closed.
    auto *mainWindow = new MainWindow;
    mainWindow->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(mainWindow, &MainWindow::closing, mainWindow,
                     [end] { openSupportWindow(end); });
    look::centreOnScreen(mainWindow);
    mainWindow->show();
    mainWindow->chooseBrandLabel();
    return mainWindow;
}

int runProgram(QApplication &application)
{
    startProgram(&endProgram);
    return application.exec();
}

} // namespace zel
