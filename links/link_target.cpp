#include "links/link_target.h"

#include "links/link_config.h"

namespace zel {

QString linkAddress(LinkTarget target)
{
    switch (target) {
    case LinkTarget::HomePage:
        return QStringLiteral(ZEL_LINK_HomePage);
    case LinkTarget::SoftwareLibraryPage:
        return QStringLiteral(ZEL_LINK_SoftwareLibraryPage);
    case LinkTarget::DonatePage:
        return QStringLiteral(ZEL_LINK_DonatePage);
    case LinkTarget::FullBrandPage:
        return QStringLiteral(ZEL_LINK_FullBrandPage);
    case LinkTarget::CoBrandPage:
        return QStringLiteral(ZEL_LINK_CoBrandPage);
    case LinkTarget::ProductHelpPage:
        return QStringLiteral(ZEL_LINK_ProductHelpPage);
    case LinkTarget::ProductDownloadPage:
        return QStringLiteral(ZEL_LINK_ProductDownloadPage);
    case LinkTarget::ReferralEndpoint:
        return QStringLiteral(ZEL_LINK_ReferralEndpoint);
    case LinkTarget::ProductSite:
        return QStringLiteral(ZEL_LINK_ProductSite);
    }
    return {};
}

} // namespace zel
