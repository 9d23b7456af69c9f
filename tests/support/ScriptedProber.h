#pragma once

#include "app/library/MediaInfoProber.h"

#include <QHash>

// A prober that answers scripted values for chosen paths and probes every
// other file for real (so a test can stand a 300-second video in for a short
// real clip).
class ScriptedProber : public MediaProber {
public:
    std::optional<double> probeDuration(const QString &path) override
    {
        ++durationProbes;
        if (durations.contains(path))
            return durations.value(path);
        return m_real.probeDuration(path);
    }
    std::optional<QSize> probeFrameSize(const QString &path) override
    {
        ++sizeProbes;
        if (sizes.contains(path))
            return sizes.value(path);
        return m_real.probeFrameSize(path);
    }

    std::optional<ConstantFrameRate> probeConstantFrameRate(const QString &path) override
    {
        return m_real.probeConstantFrameRate(path);
    }

    QHash<QString, double> durations;
    QHash<QString, QSize> sizes;
    int durationProbes = 0;
    int sizeProbes = 0;

private:
    MediaInfoProber m_real;
};
