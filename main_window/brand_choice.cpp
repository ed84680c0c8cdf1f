#include "main_window/brand_choice.h"

#include "oracle/rounding.h"

namespace zel {

std::int16_t brandNumberFor(float r)
{
    return oracle::roundToInt16(6.0 * static_cast<double>(r) + 1.0);
}

BrandFront brandFrontFor(float r)
{
    const std::int16_t n = brandNumberFor(r);
    if (n == 7)
        return BrandFront::Unchanged;
    return n % 2 == 0 ? BrandFront::FullBrand : BrandFront::CoBrand;
}

} // namespace zel
