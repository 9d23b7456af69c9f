#pragma once

#include "app/run/RandomSource.h"

#include <QVector>

// Returns the scripted numbers in turn (cycling), so tests fix every draw.
class FixedRandom : public RandomSource {
public:
    explicit FixedRandom(QVector<double> values = {0.0}) : m_values(std::move(values)) {}
    void reseed() override { ++reseeds; }
    double next() override
    {
        const double v = m_values.at(m_index % m_values.size());
        ++m_index;
        return v;
    }
    int reseeds = 0;
    int draws() const { return m_index; }

private:
    QVector<double> m_values;
    int m_index = 0;
};
