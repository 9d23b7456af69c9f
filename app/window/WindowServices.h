#pragma once

#include <QString>
#include <QUrl>

class DialogService;
class MediaProber;
class RandomSource;

// What the main window is given from outside: the user-interaction layer, the
// media probe, the random numbers, the folders chosen at start-up and the
// update server (none: no version check). Tests pass fakes for the first three.
struct WindowServices {
    DialogService *dialogs = nullptr;
    MediaProber *prober = nullptr;
    RandomSource *random = nullptr;
    QString programFolder;
    QString workRoot;
    QString dataFolder;
    QUrl updateBaseUrl;
};
