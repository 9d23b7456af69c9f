// One seeded batch of ten four-source outputs from six 640x360 10 s clips,
// made by the program's batch mode with --jobs 1, 2 and the number of cores
// (each a fresh output folder): the wall time of each, and whether every
// way wrote the same files. A plan of 2000 outputs is timed too.
#include "MediaFactory.h"
#include "platform/Utf8Locale.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>

namespace {

const QString Program = QStringLiteral(ZARV_PROGRAM_DIR "/ZarvMulVideoEditor");

QString writeJob(const QTemporaryDir &folder, const QString &outputName, int outputs)
{
    const QString output = folder.filePath(outputName);
    QDir().mkpath(output);
    const QString path = folder.filePath(outputName + QStringLiteral(".job"));
    QFile job(path);
    job.open(QIODevice::WriteOnly | QIODevice::Truncate);
    job.write(QStringLiteral("videos=%1\nTLen=8\nTMax=%2\nanswers=yes\noutput=%3\n")
                  .arg(folder.filePath(QStringLiteral("clips")))
                  .arg(outputs)
                  .arg(output)
                  .toUtf8());
    return path;
}

double runProgram(const QTemporaryDir &folder, const QStringList &arguments, int *exitCode)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CACHE_HOME"), folder.filePath(QStringLiteral("cache")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), folder.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("ZARV_UPDATE_URL"), QString());
    process.setProcessEnvironment(env);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(Program, arguments);
    process.waitForFinished(-1);
    *exitCode = process.exitCode();
    return double(timer.nsecsElapsed()) / 1e9;
}

QByteArray folderChecksum(const QString &path)
{
    QCryptographicHash hash(QCryptographicHash::Md5);
    const QDir folder(path);
    for (const QString &name : folder.entryList(QDir::Files, QDir::Name)) {
        QFile file(folder.filePath(name));
        file.open(QIODevice::ReadOnly);
        hash.addData(name.toUtf8());
        hash.addData(file.readAll());
    }
    return hash.result().toHex();
}

}  // namespace

int main(int argc, char **argv)
{
    EnsureUtf8CharacterLocale();
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    QDir().mkpath(folder.filePath(QStringLiteral("clips")));
    for (int i = 0; i < 6; ++i) {
        if (!MediaFactory::makeVideo(folder.filePath(QStringLiteral("clips/clip%1.mp4").arg(i)), 640, 360,
                                     10)) {
            std::fprintf(stderr, "could not make the clips with ffmpeg\n");
            return 1;
        }
    }
    const int cores = std::max(QThread::idealThreadCount(), 1);
    QList<int> jobCounts{1, 2};
    if (cores > 2)
        jobCounts.append(cores);
    std::printf("10 four-source outputs (6 clips 640x360 10 s, 8 s each), %d cores\n", cores);
    QByteArray firstChecksum;
    for (const int jobs : jobCounts) {
        const QString job = writeJob(folder, QStringLiteral("jobs%1").arg(jobs), 10);
        int exitCode = 0;
        const double seconds =
            runProgram(folder,
                       {QStringLiteral("--batch"), job, QStringLiteral("--seed"), QStringLiteral("2026"),
                        QStringLiteral("--jobs"), QString::number(jobs)},
                       &exitCode);
        const QByteArray checksum = folderChecksum(folder.filePath(QStringLiteral("jobs%1").arg(jobs)));
        if (firstChecksum.isEmpty())
            firstChecksum = checksum;
        std::printf("--jobs %-3d %8.2f s  exit %d  files %s\n", jobs, seconds, exitCode,
                    checksum == firstChecksum ? "the same as --jobs 1" : "DIFFERENT from --jobs 1");
    }
    // The plan of a long batch: six clips give only 15 sets, so the count
    // is lowered after the validation's question; 60 clips give plenty.
    const QString clips = folder.filePath(QStringLiteral("clips"));
    for (int i = 6; i < 60; ++i)
        QFile::copy(clips + QStringLiteral("/clip%1.mp4").arg(i % 6),
                    clips + QStringLiteral("/copy%1.mp4").arg(i));
    int exitCode = 0;
    const double planSeconds =
        runProgram(folder,
                   {QStringLiteral("--batch"), writeJob(folder, QStringLiteral("plan"), 2000),
                    QStringLiteral("--seed"), QStringLiteral("1"), QStringLiteral("--plan")},
                   &exitCode);
    std::printf(
        "--plan of 2000 outputs (60 clips): %.2f s (exit %d, program start and folder load included)\n",
        planSeconds, exitCode);
    return 0;
}
