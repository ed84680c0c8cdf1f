#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zel::oracle {

struct OracleEntry
{
    std::int16_t index;
    std::string_view name;
    std::string_view meaning;
    std::string_view reading;
};

inline constexpr std::int16_t EntryCount = 26;

// The 26 figures and signs, in drawing order. Texts are UTF-8 and shown as stored.
const std::array<OracleEntry, EntryCount> &table();

bool indexInBounds(std::int16_t index);

// Entry at 0..25; callers check indexInBounds first.
const OracleEntry &entryAt(std::int16_t index);

// What the reading label shows: meaning, CR LF, reading.
std::string displayedText(const OracleEntry &entry);

// p = 25 r in double precision, rounded half to even. The end entries get half
// the weight of the others (1/50 against 1/25), which is the oracle's own rule.
std::int16_t entryIndexFor(float r);

} // namespace zel::oracle
