#pragma once

#include <cstdint>

namespace quorvel {

// The program's one random generator. reseed() takes a fresh default seed each time, so that two
// reseeds in quick succession still give independent sequences.
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    virtual void reseed() = 0;
    // A random integer between 1 and n inclusive, each with the same chance; n >= 1.
    virtual int between1And(int n) = 0;
};

// A small fast generator (splitmix64) whose seeds come from the system's entropy mixed with a
// counter, so no two reseeds share a seed.
class SystemRandom : public RandomSource
{
public:
    SystemRandom();
    void reseed() override;
    int between1And(int n) override;

    // The generator with a fixed seed: the same seed gives the same sequence of draws.
    void seedWith(std::uint64_t seed);
    // When set, reseed() derives each new seed from the fixed seed instead of the system's
    // entropy, so a whole run is reproducible.
    void setReproducible(bool on) { m_reproducible = on; }

private:
    std::uint64_t next();

    std::uint64_t m_state = 0;
    std::uint64_t m_entropy = 0;
    std::uint64_t m_reseeds = 0;
    bool m_reproducible = false;
};

} // namespace quorvel
