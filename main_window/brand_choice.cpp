#include "brand_choice.h"

#include "rounding.h"

std::int16_t brand_n(float r)
{
    return oracle::round_to_int16(6.0 * static_cast<double>(r) + 1.0);
}

BrandFront brand_front_for(float r)
{
    const std::int16_t n = brand_n(r);
    if (n == 7)
        return BrandFront::Unchanged;
    return n % 2 == 0 ? BrandFront::FullBrand : BrandFront::CoBrand;
}
