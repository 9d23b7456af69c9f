#pragma once

#include <QImage>
#include <QImageReader>
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
    // Pictures whose decoded pixels would take more are refused.
    static constexpr int DecodeLimitMegabytes = 512;

    // Decodes a picture file (its content decides the format, whatever the
    // extension says) as picture viewers show it: turned by its orientation
    // tag, in true colour. A null image when it cannot be read, is too big,
    // or is a JPEG file cut short.
    static QImage load(const QString &path);
    // The same, stretched to exactly shownSize and decoded at a reduced size
    // where the format allows (JPEG), so a big photo costs little memory.
    static QImage loadAt(const QString &path, QSize shownSize);
    // The pixel size of a picture file as shown (turned by its orientation
    // tag), read from its header where the format allows; an invalid size
    // when the file cannot be read.
    static QSize sizeOf(const QString &path);
    // The picture stretched to exactly the given size, in true colour; null
    // for an empty size.
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
    static QImage decode(const QString &path, QSize shownSize);
    static bool turnsSideways(QImageReader &reader);
    static bool hasColourTable(QImage::Format format);
    // A picture with a colour table in 32-bit colour; target, when given, is
    // the size it will be stretched to.
    static QImage trueColour(const QImage &picture, QSize target);
    static QImage rescaleTo(const QImage &picture, QSize size);

    QImage m_canvas;
};
