#include "accessibility/accessibility.h"
#include "ui/held_key.h"

#include <QCoreApplication>

// Start-up installs the program's accessible interfaces and its rule for held
// keys before its first window; every widget test does the same as its
// application starts.
static void installAccessibility()
{
    zel::accessibility::install();
    zel::pressOncePerHold();
}
Q_COREAPP_STARTUP_FUNCTION(installAccessibility)
