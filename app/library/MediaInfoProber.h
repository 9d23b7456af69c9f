#pragma once

#include "app/library/MediaProber.h"

// Probes files through MediaInfoLib's field query (the library's text report
// changes between versions, its fields do not). Each probe opens and closes
// its own handle, so probes may run on several threads at once.
//
// Duration: the first video stream's, else the first audio stream's, else
// the container's (files with neither kind of stream have none). Size: the
// first video stream's as it is shown (turned by its rotation), else the
// picture's.
class MediaInfoProber : public MediaProber {
public:
    MediaInfoProber();
    std::optional<double> probeDuration(const QString &path) override;
    std::optional<QSize> probeFrameSize(const QString &path) override;
    MediaFacts probeFile(const QString &path, SourceKind kind) override;
    std::optional<ConstantFrameRate> probeConstantFrameRate(const QString &path) override;
    ProbeThreads threads() const override { return ProbeThreads::Any; }
};
