#include "links/link_target.h"

#include "links/link_config.h"

namespace zel {

QString linkAddress(LinkTarget target)
{
    // The addresses come from the build's one list of them: a target the list
    // leaves out is a warning here, a name LinkTarget lacks an error.
#define ZEL_LINK_CASE(name, address)                                                               \
    case LinkTarget::name:                                                                         \
        return QStringLiteral(address);
    switch (target) {
        ZEL_LINKS(ZEL_LINK_CASE)
    }
#undef ZEL_LINK_CASE
    return {};
}

} // namespace zel
