#pragma once
// Small seeded generator (xoshiro256**, seeded through splitmix64). The standard library's
// distributions are not specified bit for bit, so a run would not repeat across library
// versions; everything random in the simulator goes through this instead.

#include <cstdint>

class Prng {
public:
    explicit Prng(std::uint64_t seed) {
        for (auto& word : m_state) {
            seed += 0x9E3779B97F4A7C15ull;
            std::uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            word = z ^ (z >> 31);
        }
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

    // Uniform in [0, 1).
    double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    double Uniform(double lo, double hi) { return lo + (hi - lo) * Unit(); }
    // Uniform integer in [lo, hi].
    int Int(int lo, int hi) {
        const auto span = static_cast<std::uint64_t>(hi - lo) + 1;
        return lo + static_cast<int>(Next() % span);
    }
    bool Chance(double p) { return p > 0.0 && Unit() < p; }
    // Roughly normal, mean 0, standard deviation 1 (Irwin-Hall with 12 terms).
    double Gauss() {
        double sum = 0.0;
        for (int i = 0; i < 12; ++i)
            sum += Unit();
        return sum - 6.0;
    }

private:
    static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t m_state[4]{};
};
