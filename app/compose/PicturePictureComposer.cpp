#include "app/compose/PicturePictureComposer.h"

#include "app/compose/ClipCheck.h"
#include "app/compose/CommonLength.h"
#include "app/compose/EntryPool.h"
#include "app/compose/FinalComposition.h"
#include "app/compose/FourUpFilter.h"
#include "app/compose/MediaExtensions.h"
#include "app/compose/OutputStatus.h"
#include "app/compose/PictureClip.h"
#include "app/compose/PictureFrames.h"
#include "app/compose/QuadrantFit.h"
#include "app/compose/SoundTrackStep.h"
#include "app/run/ComposeEnvironment.h"
#include "app/run/RandomSource.h"
#include "app/run/RunContext.h"

#include <QFile>

PicturePictureComposer::PicturePictureComposer(ComposeEnvironment &environment, Clips clips)
    : m_env(environment),
      m_clips(clips)
{
}

OutputResult PicturePictureComposer::compose(int outputNumber, const QDateTime &outputStart,
                                             OutputReport &report)
{
    const RunSettings &settings = m_env.settings;
    OutputStatus status = OutputStatus::forOutput(m_env, outputNumber, outputStart, report);
    m_env.random.reseed();
    const std::optional<double> length = OutputLength(settings, m_env.random);
    if (!length || *length <= 0)
        return FailOutput(m_env, status);

    status.show(QStringLiteral("状态：临时文件清理中..."));
    PictureFrames frames(m_env.workspacePath(QStringLiteral("Images")));
    if (!frames.reset())
        return FailOutput(m_env, status);

    status.show(QStringLiteral("状态：音频预处理中..."));
    SoundTrackStep::Variant variant;
    variant.cutName = QStringLiteral("Audio");
    variant.cutCodec = {QStringLiteral("-acodec"), QStringLiteral("copy")};
    variant.shortAudio = SoundTrackStep::ShortAudio::Repeat;
    // Without videos every rule but the random one plays the chosen audio.
    variant.videoRules = SoundTrackStep::VideoRules::FixedAudio;
    const SoundTrackStep::Result sound = SoundTrackStep(m_env, status).prepare(*length, variant);
    if (const std::optional<OutputResult> ended = SoundStepEnd(m_env, status, sound))
        return *ended;

    const std::optional<int> pictureCount = PictureClip::picturesPerClip(settings, m_env.random);
    if (!pictureCount)
        return FailOutput(m_env, status);
    const int framesPerPicture = PictureClip::framesPerPicture(*length, *pictureCount);

    const QSize output = PictureModeOutputSize(settings);
    EntryPool pool(m_env.pictures.entryCount());
    PictureClip clip(m_env, pool, frames, output,
                     settings.noSpace ? PictureClip::Placement::TopLeft : PictureClip::Placement::Centred);
    const QString painted = m_env.workspacePath(QStringLiteral("Bmp.jpg"));
    const QString made = m_env.workspacePath(QStringLiteral("M.") + settings.outputType);
    QStringList clips;
    for (int k = 1; k <= 4; ++k) {
        const QString quadrant = QString::number(k) + QStringLiteral("/4");
        PictureClip::Texts texts;
        texts.drawing = [&status, &quadrant](int j, int n) {
            return QStringLiteral("状态：随机抽取图片中...") + QString::number(j) + QLatin1Char('/')
                   + QString::number(n) + QStringLiteral("之") + quadrant + QStringLiteral("；")
                   + status.timesText();
        };
        texts.framing = [&status, &quadrant](int f, int frameCount, int j, int n) {
            return QStringLiteral("状态：图片转视频帧预处理中...") + QString::number(f) + QLatin1Char('/')
                   + QString::number(frameCount) + QStringLiteral("；") + QString::number(j)
                   + QLatin1Char('/') + QString::number(n) + QStringLiteral("；") + quadrant
                   + QStringLiteral("；") + status.timesText();
        };
        QString sizeText;
        texts.encoding = [&status, &quadrant, &sizeText, &made] {
            sizeText = OutputStatus::sizeText(made, sizeText);
            return QStringLiteral("状态：中转视频生成中...") + sizeText + QStringLiteral("；") + quadrant
                   + status.tailText();
        };
        switch (clip.make(*pictureCount, framesPerPicture, *length, painted, made, texts)) {
        case PictureClip::Outcome::Made:
            break;
        case PictureClip::Outcome::Stopped:
            return OutputResult::Stopped;
        case PictureClip::Outcome::NoPicture:
        case PictureClip::Outcome::Failed:
            return FailOutput(m_env, status);
        }
        if (m_clips == Clips::OneForAll) {
            clips = QStringList{made, made, made, made};
            break;
        }
        const QString quadrantClip =
            m_env.workspacePath(QString::number(k) + QLatin1Char('.') + settings.outputType);
        QFile::remove(quadrantClip);
        if (!QFile::copy(made, quadrantClip))
            return FailOutput(m_env, status);
        clips.append(quadrantClip);
    }

    QList<AskedClip> asked;
    for (const QString &path : std::as_const(clips))
        asked.append({path, *length});
    if (const std::optional<QString> reason = CheckClips(m_env.outputProber, asked))
        return FailOutput(m_env, status, *reason);

    // Cut to L as the mixed mode is: the clips' 20 frames a second would
    // otherwise run on by a frame or two in some containers.
    QStringList arguments = sound.trackInput();
    for (const QString &path : std::as_const(clips))
        arguments << QStringLiteral("-i") << path;
    arguments << QStringLiteral("-filter_complex") << DoubledFourUpFilter(sound.firstPictureInput())
              << FinalArgumentTail(settings.outputType, status.outputPath(), *length);
    return RunFinalComposition(m_env, status, arguments);
}
