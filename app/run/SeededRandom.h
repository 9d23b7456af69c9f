#pragma once

#include "app/run/RandomSource.h"

#include <QtGlobal>

#include <random>

// One generator seeded once with a number the user gives, for a batch that
// must come out the same every time: the same seed gives the same draws in
// the same order, on every machine.
class SeededRandom : public RandomSource {
public:
    explicit SeededRandom(quint64 seed);
    // Kept as it is: re-seeding from the clock would make the run
    // unrepeatable.
    void reseed() override;
    double next() override;

private:
    std::mt19937_64 m_engine;
};
