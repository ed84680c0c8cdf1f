#pragma once

#include <cstdint>

namespace zel {

// Which brand-strip label start-up brings to the front.
enum class BrandFront {
    CoBrand,
    FullBrand,
    Unchanged, // the strip keeps its own stacking, full branding on top
};

// n = 6 r + 1 in double precision, rounded half to even: 1..7.
std::int16_t brandNumberFor(float r);

// 2, 4, 6 -> full branding; 1, 3, 5 -> co-branding; 7 -> leave as it is.
BrandFront brandFrontFor(float r);

} // namespace zel
