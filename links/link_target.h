#pragma once

#include <QString>

namespace zel {

// Every web page the program opens, or sends as a value.
enum class LinkTarget {
    HomePage, // the maker's home page: the front page of its forum
    SoftwareLibraryPage, // the maker's other programs
    DonatePage,
    FullBrandPage,
    CoBrandPage,
    ProductHelpPage,
    ProductDownloadPage,
    ReferralEndpoint, // the refer-a-friend script; only ever opened with a query
    ProductSite, // the product site's root; sent inside a referral, never opened
};

// The full address of a destination: its site's base followed by its path.
QString linkAddress(LinkTarget target);

} // namespace zel
