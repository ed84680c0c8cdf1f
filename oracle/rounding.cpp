#include "oracle/rounding.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace zel::oracle {

std::int16_t roundToInt16(double value)
{
    // nearbyint follows the current rounding mode; pin it to nearest-even so a
    // caller that changed the mode cannot move a tie.
    const int savedMode = std::fegetround();
    if (savedMode != FE_TONEAREST)
        std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    if (savedMode != FE_TONEAREST)
        std::fesetround(savedMode);

    constexpr auto lowest = std::numeric_limits<std::int16_t>::min();
    constexpr auto highest = std::numeric_limits<std::int16_t>::max();
    if (std::isnan(rounded))
        return 0;
    if (rounded <= lowest)
        return lowest;
    if (rounded >= highest)
        return highest;
    return static_cast<std::int16_t>(rounded);
}

} // namespace zel::oracle
