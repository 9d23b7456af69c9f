#pragma once

#include "app/compose/SoundTrackStep.h"
#include "app/compose/UsedSourceSets.h"
#include "app/run/Composer.h"

#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVector>

struct ComposeEnvironment;
struct DrawnSources;
class OutputStatus;
class RandomSource;

// Video+Video with the slide show ticked: n videos drawn at random, m still
// frames grabbed from each at random offsets, painted into slides of the
// output size and encoded at 25 frames per second with one sound track.
// Without reuse every slide shows four different frames in its quarters;
// with reuse the frames of one video follow another, each filling the
// picture or, with the four-split ticked, repeated in all four quarters.
class VideoSlideShowComposer : public Composer {
public:
    explicit VideoSlideShowComposer(ComposeEnvironment &environment);

    bool prepare(Workspace &workspace) override;
    OutputResult compose(int outputNumber, const QDateTime &outputStart, OutputReport &report) override;
    bool plan(int outputNumber, OutputReport &report) override;

    // Output frames per second of every slide show.
    static constexpr int FramesPerSecond = 25;
    // Redraws of an offset that was already used before a repeat is accepted
    // (a short video has few distinct offsets).
    static constexpr int OffsetRedraws = 20;

    // count offsets (number texts) within a video of that length: each at
    // least one frame before its end, as the grab of an offset within the
    // last frame writes nothing, and different from the others while the
    // redraws allow.
    static QStringList grabOffsets(double durationSeconds, int count, RandomSource &random);
    // Writes the first frame at or after the offset into the JPEG file frame.
    static QStringList grabArguments(const QString &offset, const QString &video, const QString &frame);
    // An index in [0, count) where every entry has the same odds.
    static int pickIndex(int count, RandomSource &random);
    // Where a frame fitted into the whole canvas goes: centred.
    static QPoint centred(QSize canvas, QSize frame);

private:
    struct Slides;

    bool grabFrames(int video, const QString &path, double durationSeconds, Slides &slides);
    OutputResult paintFourFrameSlides(Slides &slides);
    OutputResult paintVideoAfterVideo(Slides &slides);
    // Writes the current slide (painted) as the next output frame, then as
    // many copies as asked; false when the first cannot be written.
    bool writeSlide(const QImage &slide, int frames, Slides &slides);
    bool repeatLastFrame(int frames, Slides &slides);
    // Paints a frame fitted into the canvas, or into a quarter and repeated in
    // all four; false when it cannot be read.
    bool paintFrame(const QString &framePath, bool fourQuarters);
    // The canvas the slides are painted on.
    QImage &canvas();
    // The sound of the slide show by the video rules: that of the longest or
    // the first drawn video, for the length of the slides.
    SoundTrackStep::Variant soundVariant(const DrawnSources &drawn, double lengthSeconds) const;
    QString slideStatusTail() const;
    bool stopSeen();

    ComposeEnvironment &m_env;
    QSize m_canvas;
    QImage m_blank;  // the black canvas every slide is painted on
    QImage m_ownCanvas;
    QString m_grabFolder;              // grabbed frames
    QString m_frameFolder;             // output frames
    UsedSourceSets m_usedSets;         // the sets of videos earlier slide shows of the run drew
    OutputStatus *m_status = nullptr;  // of the output being made
};
