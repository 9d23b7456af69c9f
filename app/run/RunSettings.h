#pragma once

#include <QString>

enum class ComposeMode { VideoVideo = 0, PicturePicture = 1, Mixed = 2 };

// A plain snapshot of the option controls that a run reads, taken from the
// window just before the run (the window stays the only place that holds the
// options). Texts are kept as the controls show them; the code that uses a
// value reads it the way the control's meaning asks.
struct RunSettings {
    ComposeMode composeMode = ComposeMode::VideoVideo;

    QString maxText = QStringLiteral("200");     // TMax: number of outputs
    QString lengthText = QStringLiteral("30");   // TLen: output length in seconds
    QString randomLengthRangeText = QStringLiteral("3-600");  // TRndLen
    QString videoDrawText = QStringLiteral("20");  // TVedio: videos drawn for a slide show
    QString slideSecondsText = QStringLiteral("3");  // TPlay: seconds per slide
    QString pictureRangeText = QStringLiteral("1-1000");  // TPics

    int lengthRule = 0;     // CmbLen index
    int audioRule = 0;      // CmbAudio index
    int sizeIndex = 0;      // CmbSize index
    QString sizeText;       // CmbSize text
    QString outputType = QStringLiteral("mp4");  // CmbOutType text
    int effectIndex = 0;    // CmbEffect index

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

    QString fixedAudioText;         // LNewAu caption: path of the fixed audio file (or the hint)
    QString fixedAudioLengthText = QStringLiteral("0秒");  // LAuLen caption
    QString outputFolderText;       // LOutDir caption

    int outputWidth = 0;   // quadrant size from CmbSize; 0 = automatic
    int outputHeight = 0;
};
