#pragma once

#include <QString>

#include <optional>

enum class ComposeMode { VideoVideo = 0, PicturePicture = 1, Mixed = 2 };

// How the common length of an output is chosen (CmbLen, in its entry order).
enum class LengthRule { Fixed = 0, FirstVideo = 1, ShortestVideo = 2, LongestVideo = 3 };
// Which sound an output gets (CmbAudio, in its entry order); FixedAudio is
// treated like ChosenAudio by the composition.
enum class AudioRule { FirstVideo = 0, LongestVideo = 1, ChosenAudio = 2, RandomAudio = 3, FixedAudio = 4 };

// How a four-source output is made: its sources cut into the workspace,
// then laid out in a final step; or all in one run of the tool.
enum class FourSourcePipeline { CutsThenComposition, OnePass };

// A "minimum-maximum" text field (TRndLen, TPics) read as numbers.
struct NumberRange {
    double minimum = 0;
    double maximum = 0;
};

// A plain snapshot of the option controls that a run reads, taken from the
// window just before the run (the window stays the only place that holds the
// options). The texts are kept as the controls show them (messages and status
// texts quote them); the numbers a run computes with are read from them once,
// by readNumbers(), when the snapshot is taken.
struct RunSettings {
    ComposeMode composeMode = ComposeMode::VideoVideo;

    QString maxText = QStringLiteral("200");                  // TMax: number of outputs
    QString lengthText = QStringLiteral("30");                // TLen: output length in seconds
    QString randomLengthRangeText = QStringLiteral("3-600");  // TRndLen
    QString videoDrawText = QStringLiteral("20");             // TVedio: videos drawn for a slide show
    QString slideSecondsText = QStringLiteral("3");           // TPlay: seconds per slide
    QString pictureRangeText = QStringLiteral("1-1000");      // TPics

    // The numbers of the texts above.
    int outputCount = 200;
    double lengthSeconds = 30;
    std::optional<NumberRange> randomLengthRange = NumberRange{3, 600};  // empty without "-"
    int videoDrawCount = 20;
    double slideSeconds = 3;
    std::optional<NumberRange> pictureRange = NumberRange{1, 1000};

    LengthRule lengthRule = LengthRule::Fixed;    // CmbLen
    AudioRule audioRule = AudioRule::FirstVideo;  // CmbAudio
    int sizeIndex = 0;                            // CmbSize index
    QString sizeText;                             // CmbSize text
    QString outputType = QStringLiteral("mp4");   // CmbOutType text
    int effectIndex = 0;                          // CmbEffect index

    bool randomLength = false;      // ChRndLen
    bool audioRandomStart = false;  // ChAuRnd
    bool addAudio = false;          // ChAddAudio
    bool reuse = false;             // ChSame
    bool noSpace = true;            // ChNoSpace
    bool preciseCut = false;        // ChCut
    bool preciseQuad = false;       // ChAcc
    bool slideShow = false;         // ChPPT
    bool slideFourSplit = false;    // ChSingle
    bool keepPictureSize = true;    // ChKeepSize

    QString fixedAudioText;  // LNewAu caption: path of the fixed audio file (or the hint)
    QString fixedAudioLengthText = QStringLiteral("0秒");  // LAuLen caption
    QString outputFolderText;                              // LOutDir caption

    // Not a control: the batch mode's --one-pass (the window keeps the cuts).
    FourSourcePipeline fourSourcePipeline = FourSourcePipeline::CutsThenComposition;

    // The number the run's first output is named with; a run into a folder
    // that holds an earlier run's outputs may number on after them.
    int firstOutputNumber = 1;

    int outputWidth = 0;  // quadrant size from CmbSize; 0 = automatic
    int outputHeight = 0;

    // Reads the numbers from the texts, the way the fields' values are read
    // (the leading number of each; a range needs its "-").
    void readNumbers();
    // The length of the fixed audio from its caption ("12.5秒" gives 12.5).
    double fixedAudioSeconds() const;
};
