#include "links/link_target.h"

#include "links/link_config.h"

namespace zel {

QString linkAddress(LinkTarget target)
{
    const QString maker = QStringLiteral(ZEL_MAKER_SITE_BASE);
    const QString help = QStringLiteral(ZEL_HELP_SITE_BASE);
    const QString product = QStringLiteral(ZEL_PRODUCT_SITE_BASE);

    // The servers serve these paths exactly so, letter case included.
    switch (target) {
    case LinkTarget::HomePage:
        return QStringLiteral(ZEL_HOME_PAGE);
    case LinkTarget::SoftwareLibraryPage:
        return maker + QStringLiteral("/velmorasoftwares");
    case LinkTarget::DonatePage:
        return help + QStringLiteral("/donate.html");
    case LinkTarget::FullBrandPage:
        return help + QStringLiteral("/fully-branded.html");
    case LinkTarget::CoBrandPage:
        return help + QStringLiteral("/co-brand.html");
    case LinkTarget::ProductHelpPage:
        return product + QStringLiteral("/zel-free-orvalis-help.html");
    case LinkTarget::ProductDownloadPage:
        return product + QStringLiteral("/download-zel-free-orvalis.html");
    case LinkTarget::ReferralEndpoint:
        return maker + QStringLiteral("/tavro-refer-a-friend.php");
    case LinkTarget::ProductSite:
        return product + QStringLiteral("/");
    }
    return {};
}

} // namespace zel
