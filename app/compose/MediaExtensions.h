#pragma once

#include <QString>
#include <QStringList>

// What the tool can read and write, by file extension.
class MediaExtensions {
public:
    // The extension of a file name with its dot (".mp4"); empty when it has none.
    static QString extensionOf(const QString &path);
    // The extension a workspace cut of this video gets: its own when the tool
    // can write that container, ".mkv" otherwise.
    static QString videoCutExtension(const QString &sourcePath);
    // The same for a cut of an audio file (".mka" when its own cannot be written).
    static QString audioCutExtension(const QString &sourcePath);
    // True when the tool encodes a file of this extension as H.264 by default.
    static bool encodesH264(const QString &extension);
    // The input seek of a cut ("-ss", start), left out where it would break
    // the cut: a start of 0 in an FLV file.
    static QStringList inputSeek(const QString &startText, const QString &sourcePath);
    // "-pix_fmt yuv420p" for an H.264 output (which takes no other format
    // from every source), nothing otherwise.
    static QStringList pixelFormatFor(const QString &extension);
};
