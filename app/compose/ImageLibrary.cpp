#include "app/compose/ImageLibrary.h"

#include "app/compose/CompleteJpeg.h"

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
    return decode(path, QSize());
}

QImage ImageLibrary::loadAt(const QString &path, QSize shownSize)
{
    if (shownSize.isEmpty())
        return QImage();
    return decode(path, shownSize);
}

QSize ImageLibrary::sizeOf(const QString &path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (size.isValid())
        return turnsSideways(reader) ? size.transposed() : size;
    // Formats without a size in their header are decoded.
    const QImage picture = load(path);
    return picture.isNull() ? QSize() : picture.size();
}

bool ImageLibrary::turnsSideways(QImageReader &reader)
{
    return reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
}

QImage ImageLibrary::decode(const QString &path, QSize shownSize)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    // Turned by the photo's orientation tag, as picture viewers show it.
    reader.setAutoTransform(true);
    reader.setAllocationLimit(DecodeLimitMegabytes);
    const QSize stored = reader.size();
    const bool sideways = turnsSideways(reader);
    // The reader's own scaling takes place before the turn. JPEG decodes at
    // an eighth, a quarter or half the size when that suffices, so a photo
    // of 48 megapixels never exists in memory whole; other formats scale
    // after decoding. A picture with a colour table is left to rescaleTo,
    // as the reader's smooth scaling would lose its colours.
    const QSize storedTarget = sideways ? shownSize.transposed() : shownSize;
    if (!shownSize.isEmpty() && stored.isValid() && storedTarget.width() < stored.width()
        && storedTarget.height() < stored.height() && !hasColourTable(reader.imageFormat()))
        reader.setScaledSize(storedTarget);
    const bool jpeg = reader.format() == "jpeg";
    QImage picture = reader.read();
    if (picture.isNull())
        return QImage();
    if (jpeg && !IsCompleteJpeg(path))
        return QImage();  // the cut-off part would show grey
    return shownSize.isEmpty() ? trueColour(picture, QSize()) : rescaleTo(picture, shownSize);
}

bool ImageLibrary::hasColourTable(QImage::Format format)
{
    return format == QImage::Format_Mono || format == QImage::Format_MonoLSB
           || format == QImage::Format_Indexed8;
}

QImage ImageLibrary::trueColour(const QImage &picture, QSize target)
{
    if (!hasColourTable(picture.format()))
        return picture;
    QImage reduced = picture;
    // A huge line drawing is first thinned to twice the size it is drawn at
    // (picking pixels keeps its colours), so the true-colour copy stays small.
    if (!target.isEmpty() && picture.width() > 2 * target.width() && picture.height() > 2 * target.height())
        reduced = picture.scaled(target * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return reduced.convertToFormat(reduced.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

QImage ImageLibrary::rescaleTo(const QImage &picture, QSize size)
{
    const QImage colours = trueColour(picture, size);
    return colours.size() == size ? colours : stretched(colours, size);
}

QImage ImageLibrary::stretched(const QImage &picture, QSize size)
{
    if (picture.isNull() || size.isEmpty())
        return QImage();
    // Smooth scaling of a picture with a colour table gives one with a
    // colour table again, in which the two colours of a 1-bit logo are lost.
    return trueColour(picture, size).scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
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
    return writeImage(picture.hasAlphaChannel() ? picture.convertToFormat(QImage::Format_RGB32) : picture,
                      path, "JPG", quality);
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
