#include "ui/accessibility.h"

#include <QCoreApplication>

// Start-up installs the program's accessible interfaces before its first
// window; every widget test does the same as its application starts.
static void installAccessibility()
{
    zel::accessibility::install();
}
Q_COREAPP_STARTUP_FUNCTION(installAccessibility)
