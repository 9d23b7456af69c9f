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
