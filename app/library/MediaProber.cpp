#include "app/library/MediaProber.h"

#include "app/base/NumberText.h"

MediaFacts MediaProber::probeFile(const QString &path, SourceKind kind)
{
    MediaFacts facts;
    if (kind != SourceKind::Picture)
        facts.durationSeconds = probeDuration(path);
    if (kind != SourceKind::Audio)
        facts.frameSize = probeFrameSize(path);
    return facts;
}

QString MediaProber::durationText(double seconds)
{
    return NumberText(RoundHalfEven(seconds, 3));
}
