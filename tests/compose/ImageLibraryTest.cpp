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
    ImageLibrary library;
};

TEST_F(ImageLibraryTest, LoadsAPictureFileAndReportsItsSize)
{
    const QString file = makePicture(QStringLiteral("p.png"), 64, 48);
    const ImageLibrary::Handle handle = library.loadImageFromFile(file);
    ASSERT_NE(handle, 0);
    EXPECT_EQ(library.getImageWidth(handle), 64);
    EXPECT_EQ(library.getImageHeight(handle), 48);
    EXPECT_EQ(library.imageCount(), 1);
}

TEST_F(ImageLibraryTest, LoadsAJpegWhoseNameSaysBmp)
{
    const QString jpeg = makePicture(QStringLiteral("p.jpg"), 30, 20);
    const QString misnamed = path(QStringLiteral("p.bmp"));
    ASSERT_TRUE(QFile::copy(jpeg, misnamed));
    const ImageLibrary::Handle handle = library.loadImageFromFile(misnamed);
    ASSERT_NE(handle, 0);
    EXPECT_EQ(library.getImageWidth(handle), 30);
}

TEST_F(ImageLibraryTest, AMissingOrBrokenFileGivesNoHandle)
{
    EXPECT_EQ(library.loadImageFromFile(path(QStringLiteral("none.png"))), 0);
    QFile broken(path(QStringLiteral("broken.jpg")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();
    EXPECT_EQ(library.loadImageFromFile(broken.fileName()), 0);
    EXPECT_EQ(library.imageCount(), 0);
    EXPECT_EQ(library.getImageWidth(0), 0);
    EXPECT_EQ(library.getImageHeight(12345), 0);
}

TEST_F(ImageLibraryTest, EveryLoadGetsItsOwnHandle)
{
    const QString file = makePicture(QStringLiteral("p.png"), 16, 16);
    const ImageLibrary::Handle first = library.loadImageFromFile(file);
    const ImageLibrary::Handle second = library.loadImageFromFile(file);
    EXPECT_NE(first, 0);
    EXPECT_NE(second, 0);
    EXPECT_NE(first, second);
    EXPECT_EQ(library.imageCount(), 2);
}

TEST_F(ImageLibraryTest, ResampleRescalesInPlaceToExactlyTheGivenSize)
{
    const ImageLibrary::Handle handle =
        library.loadImageFromFile(makePicture(QStringLiteral("p.png"), 64, 48));
    ASSERT_TRUE(library.resampleImage(handle, 33, 101));
    EXPECT_EQ(library.getImageWidth(handle), 33);
    EXPECT_EQ(library.getImageHeight(handle), 101);
    EXPECT_FALSE(library.resampleImage(handle, 0, 10));
    EXPECT_FALSE(library.resampleImage(999, 10, 10));
}

TEST_F(ImageLibraryTest, DrawsTheSourceRectangleIntoTheDestinationOfTheCanvas)
{
    QImage red(20, 10, QImage::Format_RGB32);
    red.fill(QColor(255, 0, 0));
    const ImageLibrary::Handle handle = library.createImageFromCanvas(red);
    QImage canvas = ImageLibrary::newCanvas({100, 50});
    ASSERT_TRUE(library.drawImageToCanvas(handle, canvas, QRect(30, 20, 20, 10), QRect(0, 0, 20, 10)));
    EXPECT_EQ(canvas.pixelColor(30, 20), QColor(255, 0, 0));
    EXPECT_EQ(canvas.pixelColor(49, 29), QColor(255, 0, 0));
    EXPECT_EQ(canvas.pixelColor(29, 20), QColor(0, 0, 0));
    EXPECT_EQ(canvas.pixelColor(50, 29), QColor(0, 0, 0));
    EXPECT_EQ(canvas.pixelColor(30, 30), QColor(0, 0, 0));
    EXPECT_FALSE(library.drawImageToCanvas(0, canvas, QRect(0, 0, 1, 1), QRect(0, 0, 1, 1)));
}

TEST_F(ImageLibraryTest, AnImageMadeFromACanvasIsACopy)
{
    QImage canvas = ImageLibrary::newCanvas({8, 6});
    const ImageLibrary::Handle handle = library.createImageFromCanvas(canvas);
    canvas.fill(Qt::white);
    EXPECT_EQ(library.image(handle).pixelColor(0, 0), QColor(0, 0, 0));
    EXPECT_EQ(library.getImageWidth(handle), 8);
    EXPECT_EQ(library.createImageFromCanvas(QImage()), 0);
}

TEST_F(ImageLibraryTest, SavesAReadableJpeg)
{
    QImage canvas = ImageLibrary::newCanvas({120, 80});
    canvas.fill(QColor(0, 0, 255));
    const ImageLibrary::Handle handle = library.createImageFromCanvas(canvas);
    const QString jpeg = path(QStringLiteral("out.jpg"));
    ASSERT_TRUE(library.saveImageToJpgFile(handle, jpeg, 90));
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
    EXPECT_FALSE(library.saveImageToJpgFile(0, path(QStringLiteral("none.jpg"))));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("none.jpg"))));
}

TEST_F(ImageLibraryTest, DisposeFreesTheImageAndClearsTheHandle)
{
    ImageLibrary::Handle handle = library.createImageFromCanvas(ImageLibrary::newCanvas({4, 4}));
    ASSERT_NE(handle, 0);
    const ImageLibrary::Handle kept = handle;
    library.disposeImage(handle);
    EXPECT_EQ(handle, 0);
    EXPECT_EQ(library.imageCount(), 0);
    EXPECT_EQ(library.getImageWidth(kept), 0);
}

TEST_F(ImageLibraryTest, DisposingAnEmptyHandleIsHarmless)
{
    const ImageLibrary::Handle other = library.createImageFromCanvas(ImageLibrary::newCanvas({4, 4}));
    ImageLibrary::Handle empty = 0;
    library.disposeImage(empty);
    library.disposeImage(empty);
    EXPECT_EQ(empty, 0);
    EXPECT_EQ(library.imageCount(), 1);
    EXPECT_EQ(library.getImageWidth(other), 4);
}

TEST_F(ImageLibraryTest, ShutDownFreesEverythingAndMayBeCalledTwice)
{
    library.createImageFromCanvas(ImageLibrary::newCanvas({4, 4}));
    library.createImageFromCanvas(ImageLibrary::newCanvas({4, 4}));
    library.shutDown();
    library.shutDown();
    EXPECT_EQ(library.imageCount(), 0);
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
    EXPECT_EQ(ImageLibrary::getWidHeight(destination), QSize(80, 20));
    EXPECT_EQ(ImageLibrary::getWidHeight(source), QSize(40, 30));
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
    EXPECT_EQ(ImageLibrary::getWidHeight(jpeg), QSize(50, 36));
    EXPECT_FALSE(ImageLibrary::bmpToJpg(path(QStringLiteral("none.bmp")), path(QStringLiteral("n.jpg"))));
}

TEST_F(ImageLibraryTest, GetWidHeightOfAnUnreadableFileIsInvalid)
{
    EXPECT_FALSE(ImageLibrary::getWidHeight(path(QStringLiteral("none.png"))).isValid());
    const QString jpeg = makePicture(QStringLiteral("q.jpg"), 17, 9);
    EXPECT_EQ(ImageLibrary::getWidHeight(jpeg), QSize(17, 9));
}

}  // namespace
