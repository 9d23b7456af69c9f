#pragma once

#include "app/library/SourceTable.h"

#include <QSize>
#include <QString>
#include <optional>

// The numbers of one file that its source row carries.
struct MediaFacts {
    std::optional<double> durationSeconds;
    std::optional<QSize> frameSize;
};

// A video's frame rate as the fraction its stream keeps for every frame.
struct ConstantFrameRate {
    int numerator = 0;
    int denominator = 1;
    friend bool operator==(const ConstantFrameRate &, const ConstantFrameRate &) = default;
};

// Which threads may probe at the same time.
enum class ProbeThreads { WindowThreadOnly, Any };

// Reads the numbers a source row carries: a file's duration and its frame or
// picture size (as the picture is shown). An empty result means the file
// could not be probed; callers treat such a file as unusable.
class MediaProber {
public:
    virtual ~MediaProber() = default;
    virtual std::optional<double> probeDuration(const QString &path) = 0;
    virtual std::optional<QSize> probeFrameSize(const QString &path) = 0;

    // What a row of that list needs (videos: both, audio: the duration,
    // pictures: the size), read in one go where the prober can. By default
    // the two probes are asked in turn.
    virtual MediaFacts probeFile(const QString &path, SourceKind kind);
    // The first video stream's frame rate, when its header says that it is
    // constant; empty for variable rates and where the prober cannot tell.
    virtual std::optional<ConstantFrameRate> probeConstantFrameRate(const QString & /*path*/)
    {
        return std::nullopt;
    }
    // A prober that answers Any may be called from several threads at once.
    virtual ProbeThreads threads() const { return ProbeThreads::WindowThreadOnly; }

    // Duration as the list cell holds it: seconds with up to three decimals.
    static QString durationText(double seconds);
};
