#pragma once

class QString;
class QWidget;

namespace zel {

// Tells screen readers `text` as a notification from the window of `widget`,
// in the system's own words where Qt's events have none: UI Automation has no
// showing notification. One file per platform.
void notifySystem(QWidget *widget, const QString &text);

} // namespace zel
