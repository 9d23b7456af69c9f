#pragma once

#include "app/compose/ComposeEnvironment.h"
#include "app/compose/OutputResult.h"

#include <QDateTime>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// Makes one output of the Video+Video mode: either the same video in all four
// quadrants, or four videos drawn at random, cut to one common length and laid
// out on a canvas computed from their sizes, with one sound track.
class VideoVideoComposer {
public:
    // One drawn video of the four-source variant.
    struct ChosenSource {
        QString path;
        int width = 0;
        int height = 0;
        double durationSeconds = 0;
    };
    using FourSources = std::array<ChosenSource, 4>;

    // Where clips 1 to 3 go on the canvas (clip 0 is always at the top left).
    enum class Placement { Corners, EdgeToEdge };
    struct OverlayPositions {
        int x1 = 0;  // clip 1 at (x1, 0)
        int y2 = 0;  // clip 2 at (0, y2)
        int x3 = 0;  // clip 3 at (x3, y3)
        int y3 = 0;
    };

    // How the list's length rule (CmbLen) picks the common length.
    enum class LengthRule { Fixed = 0, FirstVideo = 1, ShortestVideo = 2, LongestVideo = 3 };
    // Which sound the output gets (CmbAudio); FixedAudio behaves like ChosenAudio.
    enum class AudioRule { FirstVideo = 0, LongestVideo = 1, ChosenAudio = 2, RandomAudio = 3,
                           FixedAudio = 4 };

    explicit VideoVideoComposer(ComposeEnvironment &environment);

    // Makes output outputNumber (1-based); outputStart is when the run driver
    // began this output (the elapsed time in the status texts counts from it).
    OutputResult composeVideoVideo(const QDateTime &outputStart, int outputNumber);

    // ---- steps shared with the other composition modes ------------------------

    // Output folder + separator + four-digit number + "." + output type.
    static QString outputPath(const RunSettings &settings, int outputNumber);
    // Writes the concat list (UTF-8, "file '<path>'" lines ended by CR LF),
    // truncating an existing file. False when the file cannot be written.
    static bool writeConcatList(const QString &listPath, const QStringList &pieces);
    // Whole seconds as a time of day, "H:MM:SS" (65 s give 0:01:05).
    static QString elapsedText(qint64 seconds);
    static QString elapsedText(const QDateTime &since, const QDateTime &now);
    // The size of a file in megabytes to three decimals + "mb"; the previous
    // text when the file cannot be read.
    static QString sizeText(const QString &path, const QString &previousText);
    // The extension of a file name with its dot (".mp4"); empty when it has none.
    static QString extensionOf(const QString &path);
    // The extension a workspace cut of this video gets: its own when the tool
    // can write that container, ".mkv" otherwise.
    // The input seek of a cut ("-ss {start} "), left out where it would
    // break the cut: a start of 0 in an FLV file.
    static QString inputSeek(const QString &startText, const QString &sourcePath);
    static QString videoCutExtension(const QString &sourcePath);
    // The same for a cut of an audio file (".mka" when its own cannot be written).
    static QString audioCutExtension(const QString &sourcePath);
    // True when the tool encodes a file of this extension as H.264 by default.
    static bool encodesH264(const QString &extension);

    // Orders the four by width with the fixed exchange pass, then swaps the
    // first and last for the fixed and longest length rules.
    static void orderByWidth(FourSources &sources, LengthRule lengthRule);
    // The larger of the two diagonal width sums and of the two height sums.
    static QSize canvasSize(const FourSources &sources);
    static OverlayPositions overlayPositions(const FourSources &sources, QSize canvas,
                                             Placement placement);
    // The common length of the four-source variant; empty when the settings
    // cannot be read (a random range without "-") or the rule is unknown.
    // Draws one number only for the random fixed length.
    static std::optional<double> targetLength(const RunSettings &settings, const FourSources &sources,
                                              double longestSeconds, double shortestSeconds,
                                              RandomSource &random);

private:
    OutputResult composeSameVideo();
    OutputResult composeFourSources();
    // Draws four different entries of the video list.
    std::optional<FourSources> drawSources(double &longestSeconds, double &shortestSeconds);
    // Picks a random entry of the audio list as the fixed audio; false when
    // the list has no usable entry.
    bool pickRandomAudio();
    // Runs the final composition and checks that the output was written.
    OutputResult runFinalComposition(const QString &arguments);
    OutputResult failOutput();

    QString workspaceFile(const QString &name) const { return m_env.workspacePath(name); }
    QString timesText() const;  // "耗时：…；总耗时：…"
    QString tailText() const;   // "；n/max；耗时：…；总耗时：…"
    QString generatingStatus();
    bool outputWritten() const;
    void setStatus(const QString &text);

    ComposeEnvironment &m_env;

    // Per output; set anew by every composeVideoVideo call.
    QDateTime m_outputStart;
    int m_outputNumber = 0;
    QString m_outputPath;
    QString m_sizeText;
};
