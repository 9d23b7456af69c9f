#include "app/run/SeededRandom.h"

SeededRandom::SeededRandom(quint64 seed) : m_engine(seed)
{
}

void SeededRandom::reseed()
{
}

double SeededRandom::next()
{
    // The top 53 bits as a fraction: the engine's output is fixed by the
    // standard, unlike the library's distributions.
    return double(m_engine() >> 11) * 0x1.0p-53;
}

void SeededRandom::restart(quint64 seed)
{
    m_engine.seed(seed);
}

quint64 SeededRandom::outputSeed(quint64 runSeed, int outputNumber)
{
    // SplitMix64's finaliser: neighbouring numbers give unrelated seeds.
    quint64 z = runSeed + 0x9E3779B97F4A7C15ULL * quint64(outputNumber);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}
