#pragma once

class QWidget;

namespace zel {

// A held Return, Enter or Space presses `widget` once: the key's repeats
// never reach it as presses, even those that Qt hands on as new ones.
void pressOncePerHold(QWidget *widget);

} // namespace zel
