#pragma once

#include <QHash>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

// Picture loading, scaling, drawing and JPEG writing for the composition
// modes. Decoded pictures are kept in a small table and handed out as
// handles; 0 never names a picture. The file-based helpers (zoomPic,
// bmpToJpg, getWidHeight) keep nothing.
class ImageLibrary {
public:
    using Handle = qint32;

    ImageLibrary() = default;
    ImageLibrary(const ImageLibrary &) = delete;
    ImageLibrary &operator=(const ImageLibrary &) = delete;

    // Frees every picture; harmless when called more than once.
    void shutDown();

    // Decodes a picture file; 0 when it cannot be read.
    Handle loadImageFromFile(const QString &path);
    // A new picture holding a copy of a painted canvas; 0 for a null canvas.
    Handle createImageFromCanvas(const QImage &canvas);

    // Pixel sizes; 0 for a handle that names no picture.
    int getImageWidth(Handle handle) const;
    int getImageHeight(Handle handle) const;
    // The decoded picture; a null image for an unknown handle.
    QImage image(Handle handle) const;

    // Rescales the picture in place to exactly the given size.
    bool resampleImage(Handle handle, int width, int height);
    // Paints the source rectangle of the picture into the destination
    // rectangle of the canvas, stretching when the sizes differ.
    bool drawImageToCanvas(Handle handle, QImage &canvas, const QRect &destination,
                           const QRect &source) const;
    bool saveImageToJpgFile(Handle handle, const QString &path, int quality = 90) const;
    // Frees the picture and sets the handle to 0; a 0 handle is left alone.
    void disposeImage(Handle &handle);
    int imageCount() const { return int(m_images.size()); }

    // A black canvas of the given size to paint pictures into.
    static QImage newCanvas(QSize size);
    // Writes a BMP of exactly width x height stretched from the source; the
    // source and the destination may be the same file.
    static bool zoomPic(const QString &sourcePath, const QString &destinationPath, int width,
                        int height);
    static bool bmpToJpg(const QString &bmpPath, const QString &jpgPath, int quality = 88);
    // The pixel size of a picture file, read from its header where the format
    // allows; an invalid size when the file cannot be read.
    static QSize getWidHeight(const QString &path);

private:
    QHash<Handle, QImage> m_images;
    Handle m_lastHandle = 0;
};
