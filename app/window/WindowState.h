#pragma once

#include "app/run/RunSettings.h"

#include <QDateTime>
#include <QString>

// Window state kept beside the controls.
struct WindowState {
    ComposeMode composeMode = ComposeMode::VideoVideo;
    int outputWidth = 0;   // quadrant size from CmbSize; 0 = automatic
    int outputHeight = 0;
    bool stopRequested = false;
    QDateTime runStartTime;

    int selectedVideoRow = -1;
    int selectedAudioRow = -1;
    int selectedPictureRow = -1;
    int maxListCount = 0;

    QString videoPatterns;
    QString programFolder;  // holds the program, CutMedia.dll and Black.dll
    QString workRoot;       // the workspace lives in workRoot + "Tmp"
    QString dataFolder;
};
