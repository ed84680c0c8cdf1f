#pragma once

class MainWindow;
class QApplication;

namespace app {

// Shows "Application is already running" when another instance holds the lock
// and returns true; such an instance must end without doing anything else.
bool refuse_second_instance();

// The start-up sequence up to the main window on screen: single instance,
// seeding, update reminder, main window, brand strip. A second instance ends
// inside it.
MainWindow *start_program();

// Start-up, then the event loop; returns the exit code.
int run_program(QApplication &application);

} // namespace app
