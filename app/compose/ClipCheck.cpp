#include "app/compose/ClipCheck.h"

#include "app/library/MediaProber.h"

#include <QFileInfo>

#include <algorithm>

namespace {

// How much shorter than asked a clip may be: a cut ends on a frame (or, as
// a stream copy, on a key frame), a container rounds its length.
double allowedShortfall(double askedSeconds)
{
    return std::max(0.5, 0.1 * askedSeconds);
}

}  // namespace

std::optional<QString> CheckClips(MediaProber *prober, const QList<AskedClip> &clips)
{
    for (qsizetype k = 0; k < clips.size(); ++k) {
        const AskedClip &clip = clips.at(k);
        const QString quarter = QStringLiteral("第%1格").arg(k + 1);
        const QFileInfo file(clip.path);
        if (!file.isFile() || file.size() <= 0)
            return quarter + QStringLiteral("没有画面");
        if (!prober)
            continue;
        const std::optional<QSize> size = prober->probeFrameSize(clip.path);
        const std::optional<double> seconds = prober->probeDuration(clip.path);
        if (!size || size->isEmpty() || !seconds)
            return quarter + QStringLiteral("没有画面");
        if (*seconds < clip.lengthSeconds - allowedShortfall(clip.lengthSeconds))
            return quarter + QStringLiteral("的画面太短");
    }
    return std::nullopt;
}
