// Pictures of the picture list as phones, scanners and drawing programs make
// them: photos of 48 megapixels, photos with an orientation tag, 1-bit
// logos and JPEG files cut short.
#include "QtPrinters.h"
#include "app/compose/ImageLibrary.h"
#include "tests/support/MediaFactory.h"

#include <QColor>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

bool near(QColor actual, QColor expected, int tolerance = 40)
{
    return std::abs(actual.red() - expected.red()) <= tolerance
           && std::abs(actual.green() - expected.green()) <= tolerance
           && std::abs(actual.blue() - expected.blue()) <= tolerance;
}

QString describe(QColor colour)
{
    return colour.name();
}

class PictureDecodingTest : public ::testing::Test {
protected:
    QString path(const QString &name) const { return folder.path() + QLatin1Char('/') + name; }

    static QByteArray bytesOf(const QString &file)
    {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }
    static bool write(const QString &file, const QByteArray &bytes)
    {
        QFile out(file);
        return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
    }

    QTemporaryDir folder;
};

TEST_F(PictureDecodingTest, PhotosOf48MegapixelsDecodeAtTheSizeTheyAreDrawn)
{
    const QString photo = path(QStringLiteral("phone.jpg"));
    ASSERT_TRUE(MediaFactory::runFfmpeg(
        {"-f", "lavfi", "-i", "testsrc2=s=8000x6000", "-frames:v", "1", "-q:v", "3", photo}));
    EXPECT_EQ(ImageLibrary::sizeOf(photo), QSize(8000, 6000));
    const QImage drawn = ImageLibrary::loadAt(photo, {480, 360});
    ASSERT_EQ(drawn.size(), QSize(480, 360));
    // The pattern's colour bars are there, not a blank: many colours in a row.
    QSet<QRgb> colours;
    for (int x = 0; x < drawn.width(); x += 8)
        colours.insert(drawn.pixel(x, 60) & 0xF0F0F0);
    EXPECT_GT(colours.size(), 5);
    // Whole, too (192 MB, over the image reader's own default limit).
    EXPECT_EQ(ImageLibrary::load(photo).size(), QSize(8000, 6000));
}

TEST_F(PictureDecodingTest, EveryOrientationTagIsDrawnTurnedAsViewersShowIt)
{
    // Stored 800x600, blue with a red top left corner as the sensor saw it;
    // each tag puts that corner elsewhere on screen.
    QImage stored(800, 600, QImage::Format_RGB32);
    stored.fill(QColor(0, 0, 255));
    QPainter(&stored).fillRect(0, 0, 200, 150, QColor(255, 0, 0));
    enum Corner { TopLeft, TopRight, BottomRight, BottomLeft };
    const Corner redCorner[9] = {TopLeft, TopLeft,  TopRight,    BottomRight, BottomLeft,
                                 TopLeft, TopRight, BottomRight, BottomLeft};
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const QString photo = path(QStringLiteral("o%1.jpg").arg(orientation));
        ASSERT_TRUE(stored.save(photo, "JPG", 95));
        ASSERT_TRUE(MediaFactory::tagOrientation(photo, orientation));
        const QSize shown = orientation >= 5 ? QSize(600, 800) : QSize(800, 600);
        EXPECT_EQ(ImageLibrary::sizeOf(photo), shown) << orientation;
        // Whole, and decoded smaller (the reader's scaling comes before the turn).
        for (const QImage &picture : {ImageLibrary::load(photo), ImageLibrary::loadAt(photo, shown / 4)}) {
            ASSERT_FALSE(picture.isNull()) << orientation;
            const int w = picture.width();
            const int h = picture.height();
            ASSERT_EQ(QSize(w, h) * (w == shown.width() ? 1 : 4), shown) << orientation;
            const QPoint corners[4] = {{w / 10, h / 10},
                                       {w - 1 - w / 10, h / 10},
                                       {w - 1 - w / 10, h - 1 - h / 10},
                                       {w / 10, h - 1 - h / 10}};
            for (int corner = TopLeft; corner <= BottomLeft; ++corner) {
                const QColor expected =
                    corner == redCorner[orientation] ? QColor(255, 0, 0) : QColor(0, 0, 255);
                const QColor seen = picture.pixelColor(corners[corner]);
                EXPECT_TRUE(near(seen, expected))
                    << "orientation " << orientation << " corner " << corner << " at " << w << "x" << h
                    << ": " << describe(seen).toStdString();
            }
        }
    }
}

TEST_F(PictureDecodingTest, TwoColourPicturesKeepTheirColoursAtEverySize)
{
    // Left half red, right half blue, in a colour table of two entries.
    const QColor left(255, 0, 0);
    const QColor right(0, 0, 255);
    struct Case {
        QImage::Format format;
        QSize stored;
        QSize drawn;
    };
    const Case cases[] = {
        {QImage::Format_Mono, {400, 200}, {123, 61}},   // smaller
        {QImage::Format_Mono, {400, 200}, {800, 400}},  // larger
        {QImage::Format_MonoLSB, {400, 200}, {40, 20}}, {QImage::Format_Indexed8, {400, 200}, {123, 61}},
        {QImage::Format_Mono, {8000, 4000}, {64, 32}},  // a huge line drawing
    };
    int number = 0;
    for (const Case &c : cases) {
        QImage logo(c.stored, c.format);
        logo.setColorTable({left.rgb(), right.rgb()});
        logo.fill(0);
        for (int y = 0; y < c.stored.height(); ++y) {
            for (int x = c.stored.width() / 2; x < c.stored.width(); ++x)
                logo.setPixel(x, y, 1);
        }
        const QString file = path(QStringLiteral("logo%1.png").arg(++number));
        ASSERT_TRUE(logo.save(file, "PNG"));
        const QImage loaded = ImageLibrary::load(file);
        ASSERT_EQ(loaded.size(), c.stored);
        for (const QImage &drawn :
             {ImageLibrary::loadAt(file, c.drawn), ImageLibrary::stretched(loaded, c.drawn)}) {
            ASSERT_EQ(drawn.size(), c.drawn) << number;
            const int y = c.drawn.height() / 2;
            EXPECT_TRUE(near(drawn.pixelColor(c.drawn.width() / 4, y), left, 2))
                << number << ": " << describe(drawn.pixelColor(c.drawn.width() / 4, y)).toStdString();
            EXPECT_TRUE(near(drawn.pixelColor(c.drawn.width() * 3 / 4, y), right, 2))
                << number << ": " << describe(drawn.pixelColor(c.drawn.width() * 3 / 4, y)).toStdString();
        }
    }
}

TEST_F(PictureDecodingTest, AJpegCutShortIsUnreadableWhateverItHoldsBeforeOrAfter)
{
    const QString baseline = path(QStringLiteral("baseline.jpg"));
    ASSERT_TRUE(
        MediaFactory::runFfmpeg({"-f", "lavfi", "-i", "testsrc2=s=640x480", "-frames:v", "1", baseline}));
    const QImage pattern = ImageLibrary::load(baseline);
    ASSERT_FALSE(pattern.isNull());
    const QString progressive = path(QStringLiteral("progressive.jpg"));
    QImageWriter writer(progressive, "jpeg");
    writer.setProgressiveScanWrite(true);
    ASSERT_TRUE(writer.write(pattern));
    // Restart markers inside the coded data (the encoder's slices).
    const QString restarts = path(QStringLiteral("restarts.jpg"));
    ASSERT_TRUE(MediaFactory::runFfmpeg({"-i", baseline, "-slices", "4", "-threads", "4", restarts}));
    const QString small = path(QStringLiteral("small.jpg"));
    ASSERT_TRUE(MediaFactory::runFfmpeg({"-i", baseline, "-vf", "scale=64:48", small}));

    // An EXIF segment holding a thumbnail JPEG (with its own end marker),
    // and phone makers' data after the end marker.
    const QByteArray whole = bytesOf(baseline);
    const QByteArray exif = QByteArray("Exif\0\0", 6) + bytesOf(small);
    QByteArray app1("\xFF\xE1", 2);
    app1.append(char((exif.size() + 2) >> 8)).append(char((exif.size() + 2) & 0xFF)).append(exif);
    const QByteArray withThumbnail = whole.left(2) + app1 + whole.mid(2);
    const QByteArray withTrailer = whole + QByteArray("SEFH\xFF\xD8\xFF\xE0 trailer of a phone");

    struct Case {
        const char *name;
        QByteArray bytes;
        bool readable;
    };
    const Case cases[] = {
        {"baseline", whole, true},
        {"progressive", bytesOf(progressive), true},
        {"restart markers", bytesOf(restarts), true},
        {"thumbnail", withThumbnail, true},
        {"trailer", withTrailer, true},
        {"baseline cut in half", whole.left(whole.size() / 2), false},
        {"baseline without its end marker", whole.left(whole.size() - 2), false},
        {"progressive cut", bytesOf(progressive).left(bytesOf(progressive).size() * 2 / 3), false},
        {"cut after the thumbnail", withThumbnail.left(withThumbnail.size() / 2), false},
        {"headers only", whole.left(700), false},
    };
    int number = 0;
    for (const Case &c : cases) {
        const QString file = path(QStringLiteral("case%1.jpg").arg(++number));
        ASSERT_TRUE(write(file, c.bytes)) << c.name;
        EXPECT_EQ(!ImageLibrary::load(file).isNull(), c.readable) << c.name;
        EXPECT_EQ(!ImageLibrary::loadAt(file, {64, 48}).isNull(), c.readable) << c.name;
    }
}

}  // namespace
