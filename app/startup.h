#pragma once

class QApplication;

namespace zel {

class MainWindow;

// Names the organisation and the program, under which the settings store
// keeps the reminder's date for every later start.
void nameApplication();

// Shows "Application is already running" when another instance holds the lock
// and returns true; such an instance must end without doing anything else.
bool refuseSecondInstance();

// How the program ends: endProgram, or a stand-in for tests that must not
// end their own process.
using ProgramEnd = void (*)();

// The start-up sequence up to the main window on screen: single instance,
// seeding, update reminder, main window, brand strip. Wires the windows'
// ending: closing the main window opens the support window, and the support
// window's Exit and closing call `end`. A second instance calls `end` and,
// should `end` return, gets no main window.
MainWindow *startProgram(ProgramEnd end);

// Start-up, then the event loop; returns the exit code.
int runProgram(QApplication &application);

} // namespace zel
