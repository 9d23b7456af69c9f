#pragma once

#include "app/run/RandomSource.h"

#include <random>

// Random numbers re-seeded from the time of day, as the composition asks.
class SystemRandom : public RandomSource {
public:
    SystemRandom();
    void reseed() override;
    double next() override;

private:
    std::mt19937_64 m_engine;
    std::uniform_real_distribution<double> m_unit{0.0, 1.0};
};
