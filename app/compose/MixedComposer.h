#pragma once

#include "app/run/Composer.h"

#include <QSize>
#include <QString>

#include <array>

struct ComposeEnvironment;
class EntryPool;
class OutputStatus;
class PictureClip;

// The mixed mode: every quadrant holds either a clip cut from a random video
// or a slide-show clip of random pictures; the top two always one of each.
// The four clips are joined with a sound track into a two-by-two video.
class MixedComposer : public Composer {
public:
    enum class ClipKind { Video, Picture };
    struct QuadrantClip {
        ClipKind kind = ClipKind::Video;
        QString path;
        QSize size;                // the size the step asked for
        double lengthSeconds = 0;  // the length it asked for
    };
    using QuadrantClips = std::array<QuadrantClip, 4>;
    enum class StepResult { Done, Failed, Stopped };

    explicit MixedComposer(ComposeEnvironment &environment);

    OutputResult compose(int outputNumber, const QDateTime &outputStart, OutputReport &report) override;

    // Starts the cut of a random video for quadrant k and returns without
    // waiting for it. Failed when no usable video is left.
    StepResult prepareMixedVideoClip(EntryPool &usedVideoRows, QuadrantClips &clips, int k,
                                     double lengthSeconds);
    // Makes the picture clip of quadrant k and waits for it (and for the cuts
    // started before it).
    StepResult prepareMixedPictureClip(int pictureCount, PictureClip &pictureClip, QuadrantClips &clips,
                                       int k, double lengthSeconds, OutputStatus &status);

    // The pad-and-overlay filter of four clips of the given sizes on an output
    // of the given size, from input firstInput on: packed edge to edge
    // (ChNoSpace) or each centred in its quadrant; the canvas is the
    // output's size as the output type's encoder takes it.
    enum class Placement { Packed, Centred };
    static QString overlayFilter(int firstInput, QSize output, const std::array<QSize, 4> &sizes,
                                 Placement placement, const QString &outputType);

private:
    QString clipPath(int k) const;

    ComposeEnvironment &m_env;
};
