#pragma once

#include "platform/random.h"

#include <QList>

namespace quorvel::test {

// A random source that gives the draws a test asks for, in order. When the list is used up, every
// further draw is 1. Values are clamped to 1..n so that a test cannot make an impossible draw.
class FixedRandom : public RandomSource
{
public:
    explicit FixedRandom(QList<int> draws = {}) : m_draws(std::move(draws)) {}

    void reseed() override { ++reseeds; }
    int between1And(int n) override
    {
        ranges.append(n);
        const int v = m_draws.isEmpty() ? 1 : m_draws.takeFirst();
        return v < 1 ? 1 : (v > n ? n : v);
    }
    void setDraws(QList<int> draws) { m_draws = std::move(draws); }

    int reseeds = 0;
    QList<int> ranges; // the n of every draw, in order

private:
    QList<int> m_draws;
};

} // namespace quorvel::test
