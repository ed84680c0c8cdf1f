#pragma once

#include "links/open_link.h"

#include <QStringList>

// The addresses the program opens while recording, in order, instead of the
// desktop opening them.
struct RecordedLinks : QStringList
{
    void start()
    {
        clear();
        zel::setLinkOpenerForTests([this](const QString &address) { append(address); });
    }
    static void stop() { zel::setLinkOpenerForTests({}); }
};
