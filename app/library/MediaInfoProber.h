#pragma once

#include "app/library/MediaProber.h"

// Probes files through MediaInfoLib's field query (the library's text report
// changes between versions, its fields do not). Each probe opens and closes
// its own handle.
class MediaInfoProber : public MediaProber {
public:
    MediaInfoProber();
    std::optional<double> probeDuration(const QString &path) override;
    std::optional<QSize> probeFrameSize(const QString &path) override;
};
