#include "links/open_link.h"

#include "links/desktop_opener.h"

namespace zel {

Q_LOGGING_CATEGORY(lcLinks, "zel.links", QtCriticalMsg) // silent unless asked for

namespace {

LinkOpener replacement; // the tests' stand-in for the desktop, while they set one

} // namespace

void openLink(const QString &address)
{
    if (replacement)
        replacement(address);
    else
        openWithDesktop(address);
}

void openLink(LinkTarget target)
{
    openLink(linkAddress(target));
}

void setLinkOpenerForTests(LinkOpener opener)
{
    replacement = std::move(opener);
}

} // namespace zel
