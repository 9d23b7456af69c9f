#include "ComposeBench.h"

#include "MediaFactory.h"

#include "app/compose/ComposerFactory.h"

#include <QDir>
#include <QFile>

namespace {
QString makeFolder(const QString &path)
{
    QDir().mkpath(path);
    return path;
}

void touch(const QString &path)
{
    if (QFile::exists(path))
        return;
    QFile file(path);
    file.open(QIODevice::WriteOnly);
}

void writeNonEmpty(const QString &path)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write("x");
}
}  // namespace

ComposeBench::ComposeBench(RecordingToolRunner::Execution execution)
    : workspace(makeFolder(folder.path() + QStringLiteral("/Tmp"))),
      outputFolder(makeFolder(folder.path() + QStringLiteral("/Out"))),
      sourceFolder(makeFolder(folder.path() + QStringLiteral("/src"))),
      runner(workspace, context, execution),
      environment{settings, videos,    audios,
                  pictures, runner,    context,
                  random,   workspace, QDateTime::currentDateTime()}
{
    settings.outputFolderText = outputFolder;
    settings.maxText = QStringLiteral("10");
    if (execution == RecordingToolRunner::Execution::RecordOnly) {
        // Play a tool that writes its workspace files (a track, a clip), so
        // the steps that look for them go on; outputs are never written.
        runner.onStart = [this](const QStringList &words) {
            if (!words.isEmpty() && words.constLast().startsWith(workspace))
                writeNonEmpty(words.constLast());
        };
    }
}

QString ComposeBench::addVideo(const QString &name, int width, int height, const QString &durationText)
{
    touch(source(name));
    videos.append({name, sourceFolder, QString::number(width), QString::number(height), durationText});
    return source(name);
}

QString ComposeBench::addAudio(const QString &name, const QString &durationText)
{
    touch(source(name));
    audios.append({name, sourceFolder, durationText});
    return source(name);
}

bool ComposeBench::addPictureSet()
{
    const QList<MediaFactory::PictureFile> made = MediaFactory::makePictureSet(sourceFolder);
    for (const MediaFactory::PictureFile &picture : made)
        pictures.append(
            {picture.name, sourceFolder, QString::number(picture.width), QString::number(picture.height)});
    return !made.isEmpty();
}

QString ComposeBench::writing(int number) const
{
    return outputFolder + QStringLiteral("/%1.zarv-unfinished.").arg(number, 4, 10, QLatin1Char('0'))
           + settings.outputType;
}

QString ComposeBench::output(int number) const
{
    return outputFolder + QStringLiteral("/%1.").arg(number, 4, 10, QLatin1Char('0')) + settings.outputType;
}

OutputResult ComposeBench::compose(int outputNumber)
{
    settings.readNumbers();
    lastReport = OutputReport{};
    return MakeComposer(environment)->compose(outputNumber, QDateTime::currentDateTime(), lastReport);
}
