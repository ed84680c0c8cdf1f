#pragma once

#include <cstdint>

namespace zel::oracle {

// Turns a real value into the 16-bit integer the program works with: nearest
// integer, an exact half going to the even neighbour (12.5 -> 12, 2.5 -> 2).
// Values beyond the 16-bit range saturate instead of overflowing.
std::int16_t roundToInt16(double value);

} // namespace zel::oracle
