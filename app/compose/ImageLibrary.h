#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

// Picture loading, stretching, painting and writing for the painting modes,
// on plain image values: a picture is a QImage, copied like any value, so
// nothing is handed out, kept or freed. The library also holds the canvas
// PBack that the painting modes draw a frame into before writing it; the
// window owns the library from start-up to close. Nothing here touches the
// system clipboard.
class ImageLibrary {
public:
    // Decodes a picture file (its content decides the format, whatever the
    // extension says); a null image when it cannot be read.
    static QImage load(const QString &path);
    // The pixel size of a picture file, read from its header where the format
    // allows; an invalid size when the file cannot be read.
    static QSize sizeOf(const QString &path);
    // The picture stretched to exactly the given size; null for an empty size.
    static QImage stretched(const QImage &picture, QSize size);
    // Paints the whole picture into the destination rectangle of the canvas,
    // stretching it when the sizes differ.
    static bool paint(QImage &canvas, const QImage &picture, const QRect &destination);
    static bool saveJpeg(const QImage &picture, const QString &path, int quality = 90);
    static bool saveBmp(const QImage &picture, const QString &path);
    // A black canvas of the given size.
    static QImage newCanvas(QSize size);

    // File to file: a BMP of exactly width x height stretched from the source
    // (source and destination may be the same file), and a BMP as JPEG.
    static bool zoomPic(const QString &sourcePath, const QString &destinationPath, int width, int height);
    static bool bmpToJpg(const QString &bmpPath, const QString &jpgPath, int quality = 88);

    // The canvas of the painting modes; null until a mode makes it.
    QImage &PBack() { return m_canvas; }
    // Drops the canvas; harmless when called more than once.
    void shutDown() { m_canvas = QImage(); }

private:
    QImage m_canvas;
};
