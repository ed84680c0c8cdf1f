#pragma once

#include <cstdint>
#include <functional>

namespace zel::oracle {

// The one random source of the process. Start-up seeds it from the clock; the
// reading, the brand strip and the support appeal all draw from it.
void seedFromClock();

// Next value r, uniform, single precision, 0 <= r < 1.
float nextRandom();

// Maps 32 random bits to [0, 1): the top 24 bits scaled by 2^-24 is exact in a
// float and at most 1 - 2^-24, so the result can never round up to 1.0.
float randomFromBits(std::uint32_t bits);

// Tests replace the generator's raw 32-bit output with a fixed sequence; an
// empty function restores the clock-seeded generator.
using BitSource = std::function<std::uint32_t()>;
void setBitSourceForTests(BitSource source);

} // namespace zel::oracle
