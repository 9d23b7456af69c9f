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
    // The tool's name pattern of a numbered JPEG series in a folder
    // (folder + "/%06d.jpg"); a "%" of the folder itself is doubled, since the
    // tool reads every "%" of the pattern as the start of a number field.
    static QString jpegSeriesPattern(const QString &folder);
    // For a plain re-encode of one source into an H.264 file: a filter that
    // pads an odd width or height by one black column or line at the right or
    // bottom, as H.264 in 4:2:0 takes only even sizes; nothing otherwise.
    // (Compositions pad their canvas to an even size in their own filter.)
    static QStringList evenFrameFor(const QString &extension);
};
