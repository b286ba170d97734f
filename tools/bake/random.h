// The baker's own random numbers: a fixed seed per design, so every bake gives the same bytes.
#pragma once

#include <cstdint>

namespace bake {

class Random {
public:
    explicit Random(uint64_t seed) : state(seed * 2862933555777941757ull + 3037000493ull) { Next(); }

    uint32_t Next() {
        // PCG-XSH-RR: small, fast and with no platform dependence.
        uint64_t old = state;
        state = old * 6364136223846793005ull + 1442695040888963407ull;
        uint32_t shifted = uint32_t(((old >> 18u) ^ old) >> 27u);
        uint32_t rotation = uint32_t(old >> 59u);
        return (shifted >> rotation) | (shifted << ((32u - rotation) & 31u));
    }
    // 0 <= result < 1
    float Uniform() { return float(Next() >> 8) * (1.0f / 16777216.0f); }
    float Range(float low, float high) { return low + (high - low) * Uniform(); }
    int Below(int count) { return int(Next() % uint32_t(count)); }

private:
    uint64_t state;
};

// Stateless hash for noise lattices.
inline uint32_t Hash3(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 0x8da6b343u ^ uint32_t(y) * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    h ^= h >> 12;
    h *= 0x297a2d39u;
    h ^= h >> 15;
    return h;
}

}  // namespace bake
