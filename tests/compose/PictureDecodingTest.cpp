// Photos with an orientation tag, and JPEG files whole or cut short.
#include "QtPrinters.h"
#include "app/compose/ImageLibrary.h"
#include "tests/support/MediaFactory.h"

#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray bytesOf(const QString &file)
{
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

TEST(PictureDecoding, EveryOrientationTagIsDrawnTurnedAsViewersShowIt)
{
    QTemporaryDir folder;
    // Stored 800x600, blue with the top left corner red; the red corner
    // shown at TL, TR, BR, BL (0 to 3) for the tags 1 to 8.
    QImage stored(800, 600, QImage::Format_RGB32);
    stored.fill(Qt::blue);
    QPainter(&stored).fillRect(0, 0, 200, 150, Qt::red);
    const int redCorner[9] = {-1, 0, 1, 2, 3, 0, 1, 2, 3};
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const QString photo = folder.filePath(QStringLiteral("o%1.jpg").arg(orientation));
        ASSERT_TRUE(stored.save(photo, "JPG", 95) && MediaFactory::tagOrientation(photo, orientation));
        const QSize shown = orientation >= 5 ? QSize(600, 800) : QSize(800, 600);
        EXPECT_EQ(ImageLibrary::sizeOf(photo), shown) << orientation;
        // Whole, and decoded smaller (the reader scales before it turns).
        for (const QImage &picture : {ImageLibrary::load(photo), ImageLibrary::loadAt(photo, shown / 4)}) {
            const int w = picture.width();
            const int h = picture.height();
            ASSERT_TRUE(QSize(w, h) == shown || QSize(w, h) == shown / 4) << orientation;
            const QPoint corners[4] = {
                {w / 10, h / 10}, {w * 9 / 10, h / 10}, {w * 9 / 10, h * 9 / 10}, {w / 10, h * 9 / 10}};
            for (int corner = 0; corner < 4; ++corner) {
                const QColor seen = picture.pixelColor(corners[corner]);
                EXPECT_EQ(seen.red() > 128 && seen.blue() < 128, corner == redCorner[orientation])
                    << "orientation " << orientation << " corner " << corner << " at " << w << "x" << h;
            }
        }
    }
}

TEST(PictureDecoding, AJpegCutShortIsUnreadableWhateverItHoldsBeforeOrAfter)
{
    QTemporaryDir folder;
    const auto path = [&folder](const char *name) { return folder.filePath(QString::fromLatin1(name)); };
    ASSERT_TRUE(MediaFactory::runFfmpeg(
        {"-f", "lavfi", "-i", "testsrc2=s=640x480", "-frames:v", "1", path("b.jpg")}));
    // Restart markers in the coded data (the encoder's slices), a thumbnail.
    ASSERT_TRUE(
        MediaFactory::runFfmpeg({"-i", path("b.jpg"), "-slices", "4", "-threads", "4", path("r.jpg")}));
    ASSERT_TRUE(MediaFactory::runFfmpeg({"-i", path("b.jpg"), "-vf", "scale=64:48", path("t.jpg")}));
    QImageWriter progressive(path("p.jpg"), "jpeg");
    progressive.setProgressiveScanWrite(true);
    ASSERT_TRUE(progressive.write(QImage(path("b.jpg"))));
    const QByteArray whole = bytesOf(path("b.jpg"));
    const QByteArray thumbnail = QByteArray("Exif\0\0", 6) + bytesOf(path("t.jpg"));  // its own end marker
    const QByteArray exif = QByteArray("\xFF\xE1", 2) + char((thumbnail.size() + 2) >> 8)
                            + char((thumbnail.size() + 2) & 0xFF) + thumbnail;
    const QByteArray withThumbnail = QByteArray(whole).insert(2, exif);
    const QByteArray pictures[] = {whole, bytesOf(path("p.jpg")), bytesOf(path("r.jpg")), withThumbnail};
    for (const QByteArray &bytes : pictures) {
        // Whole, with a phone maker's trailer; cut in half, before the end marker, after the headers.
        const std::pair<QByteArray, bool> cases[] = {{bytes, true},
                                                     {bytes + "SEFH\xFF\xD8\xFF\xE0 trailer", true},
                                                     {bytes.left(bytes.size() / 2), false},
                                                     {bytes.left(bytes.size() - 2), false},
                                                     {bytes.left(700), false}};
        for (const auto &[content, readable] : cases) {
            QFile file(path("case.jpg"));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) > 0);
            file.close();
            EXPECT_EQ(!ImageLibrary::load(file.fileName()).isNull(), readable) << content.size();
            EXPECT_EQ(!ImageLibrary::loadAt(file.fileName(), {64, 48}).isNull(), readable) << content.size();
        }
    }
}

}  // namespace
