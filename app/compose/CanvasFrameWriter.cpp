#include "app/compose/CanvasFrameWriter.h"

#include <QFile>
#include <QImageWriter>
#include <QMutexLocker>
#include <QPainter>
#include <QThread>

const QImage &CanvasFrameWriter::Picture::image()
{
    std::call_once(m_decoded, [this] {
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly))
            return;
        QImage decoded = QImage::fromData(file.readAll());
        if (!decoded.isNull() && m_shownSize.isValid() && decoded.size() != m_shownSize)
            decoded = decoded.scaled(m_shownSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        m_image = decoded;
    });
    return m_image;
}

CanvasFrameWriter::CanvasFrameWriter(const QImage &blankCanvas, int quality, int threadCount)
    : m_blank(blankCanvas.convertToFormat(QImage::Format_RGB32)), m_quality(quality)
{
    m_pool.setMaxThreadCount(threadCount > 0 ? threadCount : QThread::idealThreadCount());
}

CanvasFrameWriter::~CanvasFrameWriter()
{
    cancel();
}

void CanvasFrameWriter::addFrame(const QString &path, const QVector<Layer> &layers)
{
    {
        QMutexLocker lock(&m_mutex);
        ++m_inFlight;
    }
    m_pool.start([this, path, layers] { writeFrame(path, layers); });
}

void CanvasFrameWriter::writeFrame(const QString &path, const QVector<Layer> &layers)
{
    QImage canvas = m_blank.copy();
    {
        QPainter painter(&canvas);
        for (const Layer &layer : layers) {
            const QImage &picture = layer.picture->image();
            if (!picture.isNull())
                painter.drawImage(layer.topLeft, picture);
        }
    }
    QImageWriter writer(path, "jpg");
    writer.setQuality(m_quality);
    frameDone(writer.write(canvas));
}

void CanvasFrameWriter::frameDone(bool saved)
{
    QMutexLocker lock(&m_mutex);
    --m_inFlight;
    if (!saved)
        ++m_failed;
    m_frameDone.wakeAll();
}

int CanvasFrameWriter::framesInFlight() const
{
    QMutexLocker lock(&m_mutex);
    return m_inFlight;
}

bool CanvasFrameWriter::waitForRoom(int maxInFlight, int timeoutMilliseconds)
{
    QMutexLocker lock(&m_mutex);
    if (m_inFlight >= maxInFlight)
        m_frameDone.wait(&m_mutex, timeoutMilliseconds);
    return m_inFlight < maxInFlight;
}

void CanvasFrameWriter::cancel()
{
    // Frames taken off the queue never ran: they count as neither written nor failed.
    m_pool.clear();
    m_pool.waitForDone();
    QMutexLocker lock(&m_mutex);
    m_inFlight = 0;
}

int CanvasFrameWriter::failedFrames() const
{
    QMutexLocker lock(&m_mutex);
    return m_failed;
}
