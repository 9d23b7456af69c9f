#include "app/compose/PictureClip.h"

#include "app/base/NumberText.h"
#include "app/compose/EntryPool.h"
#include "app/compose/ImageLibrary.h"
#include "app/compose/PictureFrames.h"
#include "app/compose/QuadrantFit.h"
#include "app/run/ComposeEnvironment.h"
#include "app/run/RandomSource.h"
#include "app/run/RunContext.h"
#include "app/run/ToolRunner.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>

std::optional<int> PictureClip::picturesPerClip(const RunSettings &settings, RandomSource &random)
{
    if (!settings.pictureRange)
        return std::nullopt;
    const double minimum = settings.pictureRange->minimum;
    const double maximum = settings.pictureRange->maximum;
    random.reseed();
    const double count = minimum + std::floor(random.next() * (maximum - minimum));
    if (!(count >= 1) || count > 1e6)
        return std::nullopt;
    return int(count);
}

int PictureClip::framesPerPicture(double lengthSeconds, int pictureCount)
{
    return int(RoundHalfEven(lengthSeconds / pictureCount * FramesPerSecond + 1));
}

QStringList PictureClip::encodeArguments(const QString &framePattern, double lengthSeconds, QSize canvas,
                                         const QString &clipPath)
{
    // The series is read at 20 frames per second (the tool's default would be
    // 25, and the clip would last 0.8 L), and the clip is cut to L: the frame
    // count rounds each picture up. The encoder takes an odd side only
    // without chroma subsampling; such a clip keeps its exact size.
    const bool oddSide = (canvas.width() & 1) || (canvas.height() & 1);
    const QString rate = QString::number(FramesPerSecond);
    QStringList arguments;
    arguments << QStringLiteral("-f") << QStringLiteral("image2") << QStringLiteral("-framerate") << rate
              << QStringLiteral("-i") << framePattern << QStringLiteral("-y") << QStringLiteral("-q:v")
              << QStringLiteral("0") << QStringLiteral("-r") << rate << QStringLiteral("-vcodec")
              << QStringLiteral("libx264") << QStringLiteral("-pix_fmt")
              << (oddSide ? QStringLiteral("yuv444p") : QStringLiteral("yuv420p")) << QStringLiteral("-t")
              << NumberText(lengthSeconds) << clipPath;
    return arguments;
}

PictureClip::PictureClip(ComposeEnvironment &environment, EntryPool &pool, PictureFrames &frames,
                         QSize output, Placement placement)
    : m_env(environment),
      m_pool(pool),
      m_frames(frames),
      m_output(output),
      m_placement(placement)
{
}

PictureClip::Outcome PictureClip::make(int pictureCount, int framesPerPicture, double lengthSeconds,
                                       const QString &paintedFile, const QString &clipPath,
                                       const Texts &texts)
{
    RunContext &context = m_env.context;
    QVector<int> drawn;
    for (int j = 1; j <= pictureCount; ++j) {
        context.setStatus(texts.drawing(j, pictureCount));
        const int entry = m_pool.draw(m_env.random);
        if (entry == 0)
            return Outcome::NoPicture;
        drawn.append(entry);
        context.pumpEvents();
    }

    // Nothing of an earlier clip may stand in for a frame or the clip itself.
    QFile::remove(clipPath);
    if (!m_frames.reset())
        return Outcome::Failed;
    for (int j = 1; j <= pictureCount; ++j) {
        int entry = drawn.at(j - 1);
        while (!paintPicture(entry, paintedFile)) {
            m_pool.markUnusable(entry);
            entry = m_pool.draw(m_env.random);
            if (entry == 0)
                return Outcome::NoPicture;
        }
        for (int f = 1; f <= framesPerPicture; ++f) {
            if (context.stopRequested())
                return Outcome::Stopped;
            if (!m_frames.append(paintedFile, 1))
                return Outcome::Failed;
            context.setStatus(texts.framing(f, framesPerPicture, j, pictureCount));
        }
        context.pumpEvents();
    }

    const QStringList arguments =
        encodeArguments(m_frames.pattern(), lengthSeconds, QuadrantCanvasSize(m_output), clipPath);
    if (m_env.runner.runTool(arguments, texts.encoding) == ToolRunResult::Stopped)
        return Outcome::Stopped;
    const QFileInfo clip(clipPath);
    return clip.isFile() && clip.size() > 0 ? Outcome::Made : Outcome::Failed;
}

bool PictureClip::paintPicture(int entry, const QString &paintedFile)
{
    // Removed, not overwritten: the frames of the last picture are links to
    // this file and must keep their content; nor may it stand in for a
    // picture that fails here.
    QFile::remove(paintedFile);
    const auto kept = m_painted.constFind(entry);
    if (kept != m_painted.constEnd()) {
        QFile file(paintedFile);
        return file.open(QIODevice::WriteOnly) && file.write(*kept) == kept->size();
    }
    const QString path = m_env.pictures.fullPath(entry);
    const std::optional<QSize> fitted = FitIntoQuadrant(ImageLibrary::sizeOf(path), m_output);
    if (!fitted)
        return false;
    // Decoded at the size it is drawn at: a phone photo never decodes whole.
    const QImage picture = ImageLibrary::loadAt(path, *fitted);
    if (picture.isNull())
        return false;
    QImage &canvas = m_canvas;
    canvas = ImageLibrary::newCanvas(QuadrantCanvasSize(m_output));
    const QPoint at = m_placement == Placement::TopLeft ? QPoint(0, 0) : CentreInQuadrant(*fitted, m_output);
    if (!ImageLibrary::paint(canvas, picture, QRect(at, *fitted))
        || !ImageLibrary::saveJpeg(canvas, paintedFile, 88))
        return false;
    keepPainted(entry, paintedFile);
    return true;
}

void PictureClip::keepPainted(int entry, const QString &paintedFile)
{
    QFile file(paintedFile);
    if (!file.open(QIODevice::ReadOnly) || m_paintedBytes + file.size() > KeptPaintedBytes)
        return;
    const QByteArray bytes = file.readAll();
    m_paintedBytes += bytes.size();
    m_painted.insert(entry, bytes);
}
