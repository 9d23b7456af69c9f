#pragma once

#include <QList>
#include <QString>

#include <optional>

class MediaProber;

// A clip an output is made of, with the length its step asked for.
struct AskedClip {
    QString path;
    double lengthSeconds = 0;
};

// Checks the clips of an output before the final step joins them: each must
// be there, have a picture and about the length asked (a source whose header
// claims more than it holds is cut at a start past its end, and its quarter
// would stay black). Gives the reason of the first clip that fails
// ("第2格没有画面"), nothing when all pass. Without a prober only the files
// are checked.
std::optional<QString> CheckClips(MediaProber *prober, const QList<AskedClip> &clips);
