#pragma once

class QApplication;

namespace app {

// Shows "Application is already running" when another instance holds the lock
// and returns true; such an instance must end without doing anything else.
bool refuse_second_instance();

// The program's start-up sequence, then its event loop; returns the exit code.
int run_program(QApplication &application);

} // namespace app
