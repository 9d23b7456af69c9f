#include "app/compose/ImageLibrary.h"

#include <QImageReader>
#include <QPainter>
#include <QSaveFile>

#include <limits>

namespace {

QImage readImage(const QString &path)
{
    QImageReader reader(path);
    // Picture files of the lists carry their own extension, which may be wrong.
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    return reader.read();
}

bool writeImage(const QImage &image, const QString &path, const char *format, int quality)
{
    if (image.isNull())
        return false;
    // Written beside the target and renamed, so a picture can replace the
    // file it was read from and a failed write leaves the old file intact.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (!image.save(&file, format, quality)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace

void ImageLibrary::shutDown()
{
    m_images.clear();
}

ImageLibrary::Handle ImageLibrary::loadImageFromFile(const QString &path)
{
    const QImage picture = readImage(path);
    if (picture.isNull())
        return 0;
    return createImageFromCanvas(picture);
}

ImageLibrary::Handle ImageLibrary::createImageFromCanvas(const QImage &canvas)
{
    if (canvas.isNull())
        return 0;
    do {
        m_lastHandle = m_lastHandle == std::numeric_limits<Handle>::max() ? 1 : m_lastHandle + 1;
    } while (m_images.contains(m_lastHandle));
    m_images.insert(m_lastHandle, canvas.copy());
    return m_lastHandle;
}

int ImageLibrary::getImageWidth(Handle handle) const
{
    return m_images.value(handle).width();
}

int ImageLibrary::getImageHeight(Handle handle) const
{
    return m_images.value(handle).height();
}

QImage ImageLibrary::image(Handle handle) const
{
    return m_images.value(handle);
}

bool ImageLibrary::resampleImage(Handle handle, int width, int height)
{
    auto found = m_images.find(handle);
    if (found == m_images.end() || width <= 0 || height <= 0)
        return false;
    *found = found->scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return !found->isNull();
}

bool ImageLibrary::drawImageToCanvas(Handle handle, QImage &canvas, const QRect &destination,
                                     const QRect &source) const
{
    const auto found = m_images.constFind(handle);
    if (found == m_images.constEnd() || canvas.isNull())
        return false;
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(destination, *found, source);
    return painter.end();
}

bool ImageLibrary::saveImageToJpgFile(Handle handle, const QString &path, int quality) const
{
    const auto found = m_images.constFind(handle);
    if (found == m_images.constEnd())
        return false;
    // JPEG keeps no alpha channel.
    return writeImage(found->convertToFormat(QImage::Format_RGB32), path, "JPG", quality);
}

void ImageLibrary::disposeImage(Handle &handle)
{
    if (handle == 0)
        return;
    m_images.remove(handle);
    handle = 0;
}

QImage ImageLibrary::newCanvas(QSize size)
{
    QImage canvas(size, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    return canvas;
}

bool ImageLibrary::zoomPic(const QString &sourcePath, const QString &destinationPath, int width,
                           int height)
{
    if (width <= 0 || height <= 0)
        return false;
    // The source is decoded completely before the destination is written, so
    // both may name the same file.
    const QImage source = readImage(sourcePath);
    if (source.isNull())
        return false;
    const QImage zoomed = source.scaled(width, height, Qt::IgnoreAspectRatio,
                                        Qt::SmoothTransformation)
                              .convertToFormat(QImage::Format_RGB32);
    return writeImage(zoomed, destinationPath, "BMP", -1);
}

bool ImageLibrary::bmpToJpg(const QString &bmpPath, const QString &jpgPath, int quality)
{
    const QImage picture = readImage(bmpPath);
    if (picture.isNull())
        return false;
    return writeImage(picture.convertToFormat(QImage::Format_RGB32), jpgPath, "JPG", quality);
}

QSize ImageLibrary::getWidHeight(const QString &path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (size.isValid())
        return size;
    // Formats without a size in their header are decoded.
    const QImage picture = readImage(path);
    return picture.isNull() ? QSize() : picture.size();
}
