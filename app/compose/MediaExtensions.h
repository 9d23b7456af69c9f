#pragma once

#include <QSize>
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
    // True when the encoder of a file of this extension takes only even
    // frame sizes: H.264 in 4:2:0. MPEG-4 (.avi), FLV and WMV take odd ones.
    static bool needsEvenSize(const QString &extension);
    // The frame size a file of this extension is encoded at: an odd side
    // grows by one black column or line where the encoder needs even sizes,
    // any other size stays as it is.
    static QSize encodableSize(QSize frame, const QString &extension);
    // The same rule for a re-encode of a source whose size is not known
    // here: a filter that pads by one black column or line at the right or
    // bottom where needed; nothing otherwise.
    static QStringList evenFrameFor(const QString &extension);
};
