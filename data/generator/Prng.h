// The generator's random numbers. Its own algorithms (splitmix64 to seed, xoshiro256** to draw)
// rather than the standard library's distributions, whose output may differ between library
// versions: a seed must give the same database on every machine and with every compiler.
#pragma once

#include <cmath>
#include <cstdint>

namespace SampleDb {

// splitmix64: turns any 64-bit value into a well-mixed one; used to derive independent streams.
inline std::uint64_t SplitMix64(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

class Prng {
public:
    // A stream for (seed, stream): each fund draws from its own stream, so that a change in how one
    // fund is made does not shift the numbers of every fund after it.
    explicit Prng(std::uint64_t seed, std::uint64_t stream = 0) {
        std::uint64_t mix = seed ^ (stream * 0xD1B54A32D192ED03ull);
        for (auto& word : m_state)
            word = SplitMix64(mix);
    }

    std::uint64_t Next() {
        const std::uint64_t result = Rotl(m_state[1] * 5, 7) * 9;
        const std::uint64_t t = m_state[1] << 17;
        m_state[2] ^= m_state[0];
        m_state[3] ^= m_state[1];
        m_state[1] ^= m_state[2];
        m_state[0] ^= m_state[3];
        m_state[2] ^= t;
        m_state[3] = Rotl(m_state[3], 45);
        return result;
    }

    // Uniform in [0, 1), 53 random bits.
    double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    double Uniform(double low, double high) { return low + (high - low) * Uniform(); }

    // Uniform integer in [0, n); n > 0. The tiny modulo bias is irrelevant for sample data.
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
    int Between(int low, int high) { return low + Below(high - low + 1); }
    bool Chance(double p) { return Uniform() < p; }

    // Standard normal by Box-Muller (one value per call; simplicity over speed).
    double Normal() {
        const double u1 = 1.0 - Uniform(); // (0, 1], so the logarithm is finite
        const double u2 = Uniform();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
    }
    double Normal(double mean, double sd) { return mean + sd * Normal(); }

private:
    static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t m_state[4];
};

} // namespace SampleDb
