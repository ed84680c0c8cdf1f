#pragma once

// What the program tells screen readers beyond what Qt tells them by itself.
// All of it goes through Qt's accessibility interfaces, so the desktop's
// accessibility bus on Linux and UI Automation on Windows both receive it.
// Nothing here changes what is drawn, the focus or the Tab order. The pages
// that take turns in front are stacked by stackPages (page_stack.h), and an
// Announcer (announcer.h) says what the user would otherwise never hear.
namespace zel::accessibility {

// Installs the program's accessible interfaces: for its links, panels,
// fields, decorations and dialog windows, and for what an Announcer says.
// Every class of Qt's own keeps Qt's interface. Start-up calls it once,
// before the first window is built.
void install();

} // namespace zel::accessibility
