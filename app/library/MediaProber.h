#pragma once

#include <QSize>
#include <QString>
#include <optional>

// Reads the numbers a source row carries: a file's duration (of its first
// stream) and its frame or picture size. An empty result means the file
// could not be probed; callers treat such a file as unusable.
class MediaProber {
public:
    virtual ~MediaProber() = default;
    virtual std::optional<double> probeDuration(const QString &path) = 0;
    virtual std::optional<QSize> probeFrameSize(const QString &path) = 0;

    // Duration as the list cell holds it: seconds with up to three decimals.
    static QString durationText(double seconds);
};
