#include "app/compose/CanvasFrameWriter.h"

#include "app/compose/ImageLibrary.h"

#include <QMutexLocker>
#include <QRect>
#include <QThread>

namespace {
// Three bytes a pixel, in the order the JPEG writer takes them, so a frame is
// painted and written without a conversion of every pixel.
constexpr QImage::Format FrameFormat = QImage::Format_RGB888;
}  // namespace

const QImage &CanvasFrameWriter::Picture::image()
{
    std::call_once(m_decoded, [this] {
        m_image = ImageLibrary::loadAt(m_path, m_shownSize).convertToFormat(FrameFormat);
    });
    return m_image;
}

CanvasFrameWriter::CanvasFrameWriter(const QImage &blankCanvas, int quality, int threadCount)
    : m_blank(blankCanvas.convertToFormat(FrameFormat)),
      m_quality(quality)
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
    for (const Layer &layer : layers) {
        const QImage &picture = layer.picture->image();
        ImageLibrary::paint(canvas, picture, QRect(layer.topLeft, picture.size()));
    }
    frameDone(ImageLibrary::saveJpeg(canvas, path, m_quality));
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
