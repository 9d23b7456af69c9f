#pragma once

#include "app/compose/FrameSeries.h"
#include "app/compose/UsedSourceSets.h"
#include "app/run/Composer.h"

#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>

#include <array>
#include <functional>

struct ComposeEnvironment;
struct CutStarts;
struct FourSourcePlan;
class OutputStatus;

// Video+Video with the precise four-split ticked: the four drawn videos are
// extracted as still frames at 25 per second (and their sound as WAV), and
// every output frame is painted from the four current frames, each centred
// in its quarter of the canvas, then the frame series is encoded with one
// sound track. The frames are painted and saved on worker threads while the
// extractions still write.
class PreciseFourSplitComposer : public Composer {
public:
    static constexpr int FramesPerSecond = 25;

    // The frames of one source that an output shows: from current up to end
    // (the end frame itself is shown once the others run longer).
    struct FrameRange {
        int current = 1;
        int end = 1;
    };

    explicit PreciseFourSplitComposer(ComposeEnvironment &environment);

    OutputResult compose(int outputNumber, const QDateTime &outputStart, OutputReport &report) override;
    bool plan(int outputNumber, OutputReport &report) override;

    // A source not longer than the output runs from frame 1 to its duration
    // x 25 + 1; a longer one from the frame of its start offset for the
    // output's length.
    static FrameRange frameRange(double durationSeconds, double lengthSeconds, double startSeconds);
    // The size a frame is painted at: its own when it fits its quarter,
    // otherwise scaled down into the quarter with its aspect kept.
    static QSize fittedSize(QSize frame, QSize canvas);
    // The expected number of output frames as the status text shows it.
    static QString totalText(int span);

private:
    struct Quadrant;
    using Quadrants = std::array<Quadrant, 4>;

    // Deletes the work folders of earlier outputs, takes the first free name
    // and makes its frame folders; empty when it cannot be made.
    QString makeWorkFolder();
    // The black canvas of the output, even-sized (the encoder takes no odd
    // sizes: an odd canvas gets one black line more on the right or bottom).
    QImage blankCanvas(QSize canvas);
    // Starts the frame and sound extraction of every source.
    void startExtractions(Quadrants &quadrants, const FourSourcePlan &plan, const CutStarts &starts,
                          const QString &folder, OutputStatus &status);
    // The size and place of each source's frames, from its first frame.
    OutputResult measureFrames(Quadrants &quadrants, QSize canvas);
    // Paints and saves every output frame into outputFolder.
    OutputResult paintFrames(Quadrants &quadrants, const QImage &blank, const QString &outputFolder,
                             OutputStatus &status);
    // Waits for a frame of the quadrant's series: Done with the frame to
    // show, Failed when its extraction wrote none, Stopped.
    OutputResult waitForFrame(Quadrant &quadrant, int wanted, FrameSeries::Answer &answer);
    // Waits, pumping events, until ready() holds; false when a stop came first.
    bool waitUntil(const std::function<bool()> &ready);

    ComposeEnvironment &m_env;
    UsedSourceSets m_usedSets;  // the sets of four earlier outputs of the run used
};
