#pragma once

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

struct ComposeEnvironment;
struct RunSettings;
class EntryPool;
class PictureFrames;
class RandomSource;

// The picture-clip steps of the picture modes: N pictures of the picture list
// drawn at random, each fitted into the quadrant canvas and held for F frames,
// and the frame series encoded at 20 frames per second into a clip of the
// output's length.
class PictureClip {
public:
    enum class Placement { Centred, TopLeft };
    // The status texts of the mode that makes the clip.
    struct Texts {
        std::function<QString(int drawn, int count)> drawing;
        std::function<QString(int frame, int frames, int picture, int count)> framing;
        // Rebuilt on every pass of the wait for the encode.
        std::function<QString()> encoding;
    };
    enum class Outcome { Made, NoPicture, Failed, Stopped };

    static constexpr int FramesPerSecond = 20;

    // N = minimum + integer part of (random x (maximum - minimum)) of the
    // picture-count range; empty when the range is missing or gives less than 1.
    static std::optional<int> picturesPerClip(const RunSettings &settings, RandomSource &random);
    // F = L / N x 20 + 1, rounded: the frames each picture is held for.
    static int framesPerPicture(double lengthSeconds, int pictureCount);
    // The encode of a frame series into a clip of the given length.
    static QStringList encodeArguments(const QString &framePattern, double lengthSeconds, QSize canvas,
                                       const QString &clipPath);

    // pool draws the pictures (shared by every clip of one output); frames is
    // the frame series folder; output is the size of the whole output.
    PictureClip(ComposeEnvironment &environment, EntryPool &pool, PictureFrames &frames, QSize output,
                Placement placement);

    // Makes one clip of pictureCount pictures. A picture that cannot be read
    // is skipped and another drawn; NoPicture when no readable one is left.
    // paintedFile receives each painted picture before its frames are made.
    Outcome make(int pictureCount, int framesPerPicture, double lengthSeconds, const QString &paintedFile,
                 const QString &clipPath, const Texts &texts);

private:
    // Paints the picture of a list entry onto a fresh black canvas and saves
    // it as paintedFile; false when the picture cannot be read or saved.
    bool paintPicture(int entry, const QString &paintedFile);
    // A picture drawn again (a short list repeats its entries) is written
    // from the painted file kept the first time instead of being decoded
    // anew: a phone photo takes far longer to decode than its clip's frames
    // take to make.
    void keepPainted(int entry, const QString &paintedFile);

    static constexpr qint64 KeptPaintedBytes = 64 * 1024 * 1024;

    ComposeEnvironment &m_env;
    EntryPool &m_pool;
    PictureFrames &m_frames;
    QSize m_output;
    Placement m_placement;
    QImage m_canvas;
    QHash<int, QByteArray> m_painted;
    qint64 m_paintedBytes = 0;
};
