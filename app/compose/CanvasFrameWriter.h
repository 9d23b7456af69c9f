#pragma once

#include <QImage>
#include <QMutex>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QThreadPool>
#include <QVector>
#include <QWaitCondition>

#include <memory>
#include <mutex>

// Writes output frames on worker threads: each frame is a copy of a blank
// canvas with pictures read from files painted onto it, saved as a JPEG file
// of its own name. The caller's thread only queues frames, so a window stays
// responsive; as every frame names its own file, the order of the frames does
// not depend on the order in which the workers finish them.
class CanvasFrameWriter {
public:
    // A picture file, decoded at most once (and stretched to the size it is
    // shown at, when that differs) however many frames show it.
    class Picture {
    public:
        Picture(const QString &path, QSize shownSize) : m_path(path), m_shownSize(shownSize) {}
        // The decoded picture at its shown size; a null image when the file
        // cannot be read. Safe to call from several threads at once.
        const QImage &image();

    private:
        QString m_path;
        QSize m_shownSize;
        std::once_flag m_decoded;
        QImage m_image;
    };
    struct Layer {
        std::shared_ptr<Picture> picture;
        QPoint topLeft;
    };

    // quality is the JPEG quality (0 to 100); threadCount 0 takes one worker
    // per processor.
    CanvasFrameWriter(const QImage &blankCanvas, int quality, int threadCount = 0);
    // Drops the frames not started yet and waits for the running ones.
    ~CanvasFrameWriter();
    CanvasFrameWriter(const CanvasFrameWriter &) = delete;
    CanvasFrameWriter &operator=(const CanvasFrameWriter &) = delete;

    // Queues a frame; a picture that cannot be read leaves its place black.
    void addFrame(const QString &path, const QVector<Layer> &layers);
    int framesInFlight() const;
    // Blocks until fewer than maxInFlight frames are queued or running, or
    // until timeoutMilliseconds have passed; true when there is room.
    bool waitForRoom(int maxInFlight, int timeoutMilliseconds);
    // Drops the frames not started yet and waits for the running ones.
    void cancel();
    // Frames that could not be saved (a disk that is full, a folder that is gone).
    int failedFrames() const;
    int workerCount() const { return m_pool.maxThreadCount(); }

private:
    void writeFrame(const QString &path, const QVector<Layer> &layers);
    void frameDone(bool saved);

    QImage m_blank;
    int m_quality;
    QThreadPool m_pool;
    mutable QMutex m_mutex;
    QWaitCondition m_frameDone;
    int m_inFlight = 0;
    int m_failed = 0;
};
