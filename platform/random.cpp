#include "platform/random.h"

#include <chrono>
#include <random>

namespace quorvel {

namespace {

__extension__ typedef unsigned __int128 Wide;

std::uint64_t splitmix64(std::uint64_t &state)
{
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

} // namespace

SystemRandom::SystemRandom()
{
    std::random_device device;
    m_entropy = (std::uint64_t(device()) << 32) ^ device();
    m_entropy ^= std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
    m_state = m_entropy;
}

void SystemRandom::reseed()
{
    // Each reseed mixes a counter into the entropy taken at start, so seeds never repeat, however
    // close together two reseeds come; the clock adds what a fresh start would.
    std::uint64_t mix = m_entropy + ++m_reseeds * 0xD1B54A32D192ED03ull;
    if (!m_reproducible)
        mix ^= std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()) << 1;
    m_state = splitmix64(mix);
}

void SystemRandom::seedWith(std::uint64_t seed)
{
    m_entropy = seed;
    m_state = seed;
    m_reseeds = 0;
}

std::uint64_t SystemRandom::next()
{
    return splitmix64(m_state);
}

int SystemRandom::between1And(int n)
{
    if (n <= 1)
        return 1;
    // Lemire's multiply-and-reject: every value of 1..n has exactly the same chance.
    const std::uint64_t range = std::uint64_t(n);
    Wide product = Wide(next()) * range;
    std::uint64_t low = std::uint64_t(product);
    if (low < range) {
        const std::uint64_t threshold = -range % range;
        while (low < threshold) {
            product = Wide(next()) * range;
            low = std::uint64_t(product);
        }
    }
    return int(product >> 64) + 1;
}

} // namespace quorvel
