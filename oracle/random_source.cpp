#include "random_source.h"

#include <chrono>
#include <random>

namespace oracle {
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

void seed_from_clock()
{
    const auto ticks
        = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    std::seed_seq seed {static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
    source().engine.seed(seed);
}

float random_from_bits(std::uint32_t bits)
{
    return static_cast<float>(bits >> 8) * 0x1.0p-24f;
}

float next_random()
{
    Source &s = source();
    const std::uint32_t bits
        = s.replacement ? s.replacement() : static_cast<std::uint32_t>(s.engine());
    return random_from_bits(bits);
}

void set_bit_source_for_tests(BitSource replacement)
{
    source().replacement = std::move(replacement);
}

} // namespace oracle
