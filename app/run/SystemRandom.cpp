#include "app/run/SystemRandom.h"

#include <QTime>

SystemRandom::SystemRandom()
{
    m_engine.seed(std::random_device{}());
}

void SystemRandom::reseed()
{
    // Seeding from the time of day alone would repeat the draws of two
    // outputs made within the same clock tick; mixing in the engine's own
    // state keeps successive draws apart.
    const auto msecs = quint64(QTime::currentTime().msecsSinceStartOfDay());
    m_engine.seed(msecs ^ m_engine());
}

double SystemRandom::next()
{
    return m_unit(m_engine);
}
