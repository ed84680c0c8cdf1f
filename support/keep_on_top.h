#pragma once

class QWidget;

namespace zel {

// Places a shown window above every window that is not topmost, without
// moving, resizing or activating it; one file per platform.
void keepOnTop(QWidget *window);

} // namespace zel
