#pragma once

class QAction;
class QMainWindow;

namespace zel {

// The main window's menu bar: File, Help and the Donate command on the bar.
// Entries carry no shortcut keys: mouse and access keys reach them. Returns
// the About entry, which the window opens About from.
QAction *buildMainMenu(QMainWindow *window);

} // namespace zel
