#pragma once

#include <QString>
#include <QStringList>

// Makes real media files for tests with the system ffmpeg (lavfi sources).
namespace MediaFactory {

// Path of the system ffmpeg the build found.
QString ffmpegPath();
// Runs ffmpeg with the given arguments (after -y -loglevel error); true on exit 0.
bool runFfmpeg(const QStringList &arguments);

// A video with a test pattern and, when withSound, a sine tone.
enum class Sound { With, Without };
bool makeVideo(const QString &path, int width, int height, double seconds, Sound sound = Sound::With,
               int fps = 25);
bool makeAudio(const QString &path, double seconds);
bool makePicture(const QString &path, int width, int height);

// Pictures of every shape a picture list meets, made in folder: landscape,
// portrait, square, odd-sized, and a file that is no picture at all (listed
// as 640x480). Each is given as its file name, width and height.
struct PictureFile {
    QString name;
    int width = 0;
    int height = 0;
};
QList<PictureFile> makePictureSet(const QString &folder);

// Gives a JPEG file an EXIF Orientation tag (1 to 8) as a camera writes it:
// an APP1 segment right after the start marker.
bool tagOrientation(const QString &jpegPath, int orientation);

struct StreamFacts {
    double durationSeconds = -1;  // of the container
    int width = 0;
    int height = 0;
    bool hasVideo = false;
    bool hasAudio = false;
    QString pixelFormat;
};
// Reads a file's facts with ffprobe (beside ffmpeg).
StreamFacts probe(const QString &path);

}  // namespace MediaFactory
