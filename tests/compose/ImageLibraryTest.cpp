#include "QtPrinters.h"
#include "app/compose/ImageLibrary.h"
#include "tests/support/MediaFactory.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ImageLibraryTest : public ::testing::Test {
protected:
    QString path(const QString &name) const { return folder.path() + QLatin1Char('/') + name; }

    // A picture file made by the system tool.
    QString makePicture(const QString &name, int width, int height)
    {
        const QString file = path(name);
        EXPECT_TRUE(MediaFactory::makePicture(file, width, height));
        return file;
    }

    static QByteArray head(const QString &file, int bytes)
    {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.read(bytes) : QByteArray();
    }

    QTemporaryDir folder;
};

TEST_F(ImageLibraryTest, LoadsAPictureFileWhateverItsNameSays)
{
    const QString file = makePicture(QStringLiteral("p.png"), 64, 48);
    EXPECT_EQ(ImageLibrary::load(file).size(), QSize(64, 48));
    EXPECT_EQ(ImageLibrary::sizeOf(file), QSize(64, 48));
    const QString misnamed = path(QStringLiteral("p.bmp"));
    ASSERT_TRUE(QFile::copy(makePicture(QStringLiteral("p.jpg"), 30, 20), misnamed));
    EXPECT_EQ(ImageLibrary::load(misnamed).width(), 30);
}

TEST_F(ImageLibraryTest, AMissingOrBrokenFileGivesANullPicture)
{
    EXPECT_TRUE(ImageLibrary::load(path(QStringLiteral("none.png"))).isNull());
    QFile broken(path(QStringLiteral("broken.jpg")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();
    EXPECT_TRUE(ImageLibrary::load(broken.fileName()).isNull());
    EXPECT_FALSE(ImageLibrary::sizeOf(broken.fileName()).isValid());
}

TEST_F(ImageLibraryTest, StretchesToExactlyTheGivenSize)
{
    const QImage picture = ImageLibrary::load(makePicture(QStringLiteral("p.png"), 64, 48));
    EXPECT_EQ(ImageLibrary::stretched(picture, {33, 101}).size(), QSize(33, 101));
    EXPECT_EQ(picture.size(), QSize(64, 48)) << "the original stays as it was";
    EXPECT_TRUE(ImageLibrary::stretched(picture, {0, 10}).isNull());
}

TEST_F(ImageLibraryTest, PaintsIntoTheDestinationOfTheCanvas)
{
    QImage red(10, 5, QImage::Format_RGB32);
    red.fill(QColor(255, 0, 0));
    ImageLibrary library;
    ASSERT_TRUE(library.PBack().isNull());
    library.PBack() = ImageLibrary::newCanvas({100, 50});
    ASSERT_TRUE(ImageLibrary::paint(library.PBack(), red, QRect(30, 20, 20, 10)));  // stretched twice
    const QImage &canvas = library.PBack();
    EXPECT_EQ(canvas.pixelColor(30, 20), QColor(255, 0, 0));
    EXPECT_EQ(canvas.pixelColor(49, 29), QColor(255, 0, 0));
    EXPECT_EQ(canvas.pixelColor(29, 20), QColor(0, 0, 0));
    EXPECT_EQ(canvas.pixelColor(50, 29), QColor(0, 0, 0));
    EXPECT_EQ(canvas.pixelColor(30, 30), QColor(0, 0, 0));
    EXPECT_FALSE(ImageLibrary::paint(library.PBack(), QImage(), QRect(0, 0, 1, 1)));
    library.shutDown();
    library.shutDown();
    EXPECT_TRUE(library.PBack().isNull());
}

TEST_F(ImageLibraryTest, SavesAReadableJpeg)
{
    QImage canvas = ImageLibrary::newCanvas({120, 80});
    canvas.fill(QColor(0, 0, 255));
    const QString jpeg = path(QStringLiteral("out.jpg"));
    ASSERT_TRUE(ImageLibrary::saveJpeg(canvas, jpeg, 90));
    EXPECT_EQ(head(jpeg, 3), QByteArray("\xFF\xD8\xFF", 3));
    QImageReader reader(jpeg);
    EXPECT_EQ(reader.format(), QByteArray("jpeg"));
    const QImage back = reader.read();
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.size(), QSize(120, 80));
    EXPECT_GT(back.pixelColor(60, 40).blue(), 200);
    EXPECT_LT(back.pixelColor(60, 40).red(), 50);
    // The media tool reads it too.
    const MediaFactory::StreamFacts facts = MediaFactory::probe(jpeg);
    EXPECT_EQ(facts.width, 120);
    EXPECT_EQ(facts.height, 80);
    EXPECT_FALSE(ImageLibrary::saveJpeg(QImage(), path(QStringLiteral("none.jpg"))));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("none.jpg"))));
}

TEST_F(ImageLibraryTest, ZoomPicStretchesAFileIntoItselfAsARealBmp)
{
    const QString black = path(QStringLiteral("Black.bmp"));
    ASSERT_TRUE(ImageLibrary::newCanvas({10, 7}).save(black, "BMP"));
    ASSERT_TRUE(ImageLibrary::zoomPic(black, black, 321, 203));
    EXPECT_EQ(head(black, 2), QByteArray("BM"));
    QImageReader reader(black);
    EXPECT_EQ(reader.format(), QByteArray("bmp"));
    EXPECT_EQ(reader.size(), QSize(321, 203));
    const QImage zoomed = reader.read();
    ASSERT_FALSE(zoomed.isNull());
    EXPECT_EQ(zoomed.pixelColor(320, 202), QColor(0, 0, 0));
    const MediaFactory::StreamFacts facts = MediaFactory::probe(black);
    EXPECT_EQ(facts.width, 321);
    EXPECT_EQ(facts.height, 203);
    // No leftovers of the write beside the file.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("Black.bmp")});
}

TEST_F(ImageLibraryTest, ZoomPicWritesABmpWhateverTheDestinationIsNamed)
{
    const QString source = makePicture(QStringLiteral("p.png"), 40, 30);
    const QString destination = path(QStringLiteral("zoomed.dat"));
    ASSERT_TRUE(ImageLibrary::zoomPic(source, destination, 80, 20));
    EXPECT_EQ(head(destination, 2), QByteArray("BM"));
    EXPECT_EQ(ImageLibrary::sizeOf(destination), QSize(80, 20));
    EXPECT_EQ(ImageLibrary::sizeOf(source), QSize(40, 30));
}

TEST_F(ImageLibraryTest, ZoomPicOfAMissingSourceWritesNothing)
{
    const QString destination = path(QStringLiteral("zoomed.bmp"));
    EXPECT_FALSE(ImageLibrary::zoomPic(path(QStringLiteral("none.bmp")), destination, 10, 10));
    EXPECT_FALSE(QFile::exists(destination));
    const QString source = makePicture(QStringLiteral("p.png"), 40, 30);
    EXPECT_FALSE(ImageLibrary::zoomPic(source, destination, 0, 10));
    EXPECT_FALSE(QFile::exists(destination));
}

TEST_F(ImageLibraryTest, BmpToJpgConvertsAndKeepsTheSize)
{
    const QString bmp = path(QStringLiteral("p.bmp"));
    ASSERT_TRUE(MediaFactory::makePicture(bmp, 50, 36));
    const QString jpeg = path(QStringLiteral("p.jpg"));
    ASSERT_TRUE(ImageLibrary::bmpToJpg(bmp, jpeg, 88));
    EXPECT_EQ(head(jpeg, 3), QByteArray("\xFF\xD8\xFF", 3));
    EXPECT_EQ(QImageReader(jpeg).format(), QByteArray("jpeg"));
    EXPECT_EQ(ImageLibrary::sizeOf(jpeg), QSize(50, 36));
    EXPECT_FALSE(ImageLibrary::bmpToJpg(path(QStringLiteral("none.bmp")), path(QStringLiteral("n.jpg"))));
}

TEST_F(ImageLibraryTest, GetWidHeightOfAnUnreadableFileIsInvalid)
{
    EXPECT_FALSE(ImageLibrary::sizeOf(path(QStringLiteral("none.png"))).isValid());
    const QString jpeg = makePicture(QStringLiteral("q.jpg"), 17, 9);
    EXPECT_EQ(ImageLibrary::sizeOf(jpeg), QSize(17, 9));
}

}  // namespace
