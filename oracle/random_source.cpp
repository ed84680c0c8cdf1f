#include "oracle/random_source.h"

#include <chrono>
#include <random>

namespace zel::oracle {
namespace {

struct Source
{
    std::mt19937 engine;
    BitSource replacement;
};

Source &source()
{
    static Source instance;
    return instance;
}

} // namespace

void seedFromClock()
{
    const auto ticks
        = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    std::seed_seq seed {static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
    source().engine.seed(seed);
}

float randomFromBits(std::uint32_t bits)
{
    return static_cast<float>(bits >> 8) * 0x1.0p-24f;
}

float nextRandom()
{
    Source &generator = source();
    const std::uint32_t bits = generator.replacement
        ? generator.replacement()
        : static_cast<std::uint32_t>(generator.engine());
    return randomFromBits(bits);
}

void setBitSourceForTests(BitSource replacement)
{
    source().replacement = std::move(replacement);
}

} // namespace zel::oracle
