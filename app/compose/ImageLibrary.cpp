#include "app/compose/ImageLibrary.h"

#include <QImageReader>
#include <QPainter>
#include <QSaveFile>

namespace {

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

QImage ImageLibrary::load(const QString &path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    return reader.read();
}

QSize ImageLibrary::sizeOf(const QString &path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (size.isValid())
        return size;
    // Formats without a size in their header are decoded.
    const QImage picture = load(path);
    return picture.isNull() ? QSize() : picture.size();
}

QImage ImageLibrary::stretched(const QImage &picture, QSize size)
{
    if (picture.isNull() || size.isEmpty())
        return QImage();
    return picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

bool ImageLibrary::paint(QImage &canvas, const QImage &picture, const QRect &destination)
{
    if (canvas.isNull() || picture.isNull())
        return false;
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(destination, picture);
    return painter.end();
}

bool ImageLibrary::saveJpeg(const QImage &picture, const QString &path, int quality)
{
    // JPEG keeps no alpha channel; a picture without one is written as it is.
    if (picture.isNull())
        return false;
    return writeImage(picture.hasAlphaChannel() ? picture.convertToFormat(QImage::Format_RGB32) : picture, path,
                      "JPG", quality);
}

bool ImageLibrary::saveBmp(const QImage &picture, const QString &path)
{
    return !picture.isNull() && writeImage(picture.convertToFormat(QImage::Format_RGB32), path, "BMP", -1);
}

QImage ImageLibrary::newCanvas(QSize size)
{
    QImage canvas(size, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    return canvas;
}

bool ImageLibrary::zoomPic(const QString &sourcePath, const QString &destinationPath, int width, int height)
{
    // The source is decoded completely before the destination is written, so
    // both may name the same file.
    return saveBmp(stretched(load(sourcePath), QSize(width, height)), destinationPath);
}

bool ImageLibrary::bmpToJpg(const QString &bmpPath, const QString &jpgPath, int quality)
{
    return saveJpeg(load(bmpPath), jpgPath, quality);
}
