#include "app/compose/SoundTrackStep.h"

#include "app/base/NumberText.h"
#include "app/compose/ConcatList.h"
#include "app/compose/MediaExtensions.h"
#include "app/compose/OutputStatus.h"
#include "app/compose/RandomStart.h"
#include "app/run/ComposeEnvironment.h"
#include "app/run/RandomSource.h"
#include "app/run/RunContext.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

const QString AudioPreparing = QStringLiteral("状态：音频预处理中...");

// A workspace file of an earlier output would otherwise stand in for one
// that a failed step did not make.
void removeStale(const QString &path)
{
    QFile::remove(path);
}

SoundTrackStep::Result trackResult(const QString &track)
{
    return {SoundTrackStep::Outcome::Track, track, {QStringLiteral("-i"), track}};
}

bool hasContent(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.size() > 0;
}

}  // namespace

QStringList SoundTrackStep::Result::soundMapping() const
{
    if (outcome == Outcome::Track)
        return {QStringLiteral("-map"), QStringLiteral("0:a")};
    if (outcome == Outcome::Silent)
        return {QStringLiteral("-an")};
    return {};
}

SoundTrackStep::SoundTrackStep(ComposeEnvironment &environment, OutputStatus &status)
    : m_env(environment),
      m_status(status)
{
}

SoundTrackStep::Result SoundTrackStep::prepare(double lengthSeconds, const Variant &variant)
{
    switch (m_env.settings.audioRule) {
    case AudioRule::RandomAudio:
        if (!pickRandomAudio())
            return {Outcome::Failed, {}, {}};
        return chosenAudio(lengthSeconds, variant);
    case AudioRule::ChosenAudio:
    case AudioRule::FixedAudio:
        return chosenAudio(lengthSeconds, variant);
    case AudioRule::LongestVideo:
        if (variant.videoRules == VideoRules::FixedAudio)
            return chosenAudio(lengthSeconds, variant);
        return videoSound(variant.videoSoundExtraction, variant);
    case AudioRule::FirstVideo:
        if (variant.videoRules == VideoRules::FixedAudio)
            return chosenAudio(lengthSeconds, variant);
        return videoSound(variant.firstVideoSoundExtraction, variant);
    }
    return {Outcome::NoTrack, {}, {}};
}

QString SoundTrackStep::soundUsed(const Variant &variant) const
{
    const AudioRule rule = m_env.settings.audioRule;
    if ((rule == AudioRule::LongestVideo || rule == AudioRule::FirstVideo)
        && variant.videoRules == VideoRules::VideoSound) {
        const QStringList &extraction = rule == AudioRule::LongestVideo ? variant.videoSoundExtraction
                                                                        : variant.firstVideoSoundExtraction;
        const qsizetype input = extraction.indexOf(QStringLiteral("-i"));
        return input >= 0 ? extraction.value(input + 1) : QString();
    }
    return m_env.settings.fixedAudioText;
}

QString SoundTrackStep::plan(double lengthSeconds, const Variant &variant)
{
    const RunSettings &settings = m_env.settings;
    const AudioRule rule = settings.audioRule;
    if ((rule == AudioRule::LongestVideo || rule == AudioRule::FirstVideo)
        && variant.videoRules == VideoRules::VideoSound)
        return soundUsed(variant);
    if (rule == AudioRule::RandomAudio && !pickRandomAudio())
        return {};
    // Only a cut of a longer audio draws its start (see chosenAudio).
    const double audioSeconds = settings.fixedAudioSeconds();
    if (audioSeconds > lengthSeconds && settings.audioRandomStart)
        RandomStartText(audioSeconds - lengthSeconds, m_env.random);
    return soundUsed(variant);
}

bool SoundTrackStep::pickRandomAudio()
{
    const int entries = m_env.audios.entryCount();
    if (entries < 1)
        return false;
    // Every entry with the same odds (the integer part of random x entries).
    const int entry = std::clamp(int(m_env.random.next() * double(entries)) + 1, 1, entries);
    const QString path = m_env.audios.fullPath(entry);
    const QString lengthCaption = m_env.audios.cell(entry, SourceTable::AudioDuration) + QStringLiteral("秒");
    m_env.settings.fixedAudioText = path;
    m_env.settings.fixedAudioLengthText = lengthCaption;
    m_env.context.setFixedAudio(path, lengthCaption);
    return true;
}

SoundTrackStep::Result SoundTrackStep::chosenAudio(double lengthSeconds, const Variant &variant)
{
    // Read through the settings: a random pick has just rewritten them.
    const RunSettings &settings = m_env.settings;
    const QString audio = settings.fixedAudioText;
    const double audioSeconds = settings.fixedAudioSeconds();
    if (audioSeconds <= lengthSeconds) {
        if (!variant.fillUpVideo.isEmpty() && settings.addAudio)
            return fillUp(audioSeconds, variant.fillUpVideo);
        if (variant.shortAudio == ShortAudio::Repeat && settings.addAudio && audioSeconds < lengthSeconds)
            return repeat(audioSeconds, lengthSeconds, variant);
        return trackResult(audio);
    }
    QString start = QStringLiteral("0");
    if (settings.audioRandomStart)
        start = RandomStartText(audioSeconds - lengthSeconds, m_env.random);
    const QStringList cut{QStringLiteral("-ss"), start, QStringLiteral("-t"), NumberText(lengthSeconds)};
    if (variant.audioCut == AudioCut::InFinalStep)
        return {Outcome::Track, audio, cut + QStringList{QStringLiteral("-i"), audio}};
    const QString track = m_env.workspacePath(variant.cutName + MediaExtensions::audioCutExtension(audio));
    removeStale(track);
    const QStringList arguments = cut
                                  + QStringList{QStringLiteral("-i"), audio, QStringLiteral("-y"),
                                                QStringLiteral("-q:a"), QStringLiteral("0")}
                                  + variant.cutCodec + QStringList{track};
    if (m_env.runner.runTool(arguments, AudioPreparing) == ToolRunResult::Stopped)
        return {Outcome::Stopped, {}, {}};
    return trackResult(track);
}

SoundTrackStep::Result SoundTrackStep::fillUp(double audioSeconds, const QString &video)
{
    // The audio followed by the video's own sound from where the audio ends.
    const QString audio = m_env.settings.fixedAudioText;
    const QString rest = m_env.workspacePath(QStringLiteral("1.mp3"));
    const QString head = m_env.workspacePath(QStringLiteral("0.mp3"));
    const QString list = m_env.workspacePath(QStringLiteral("List.txt"));
    const QString joined = m_env.workspacePath(QStringLiteral("M.mp3"));
    for (const QString &path : {rest, head, joined})
        removeStale(path);
    const QStringList encode{QStringLiteral("-y"),   QStringLiteral("-q:a"),  QStringLiteral("0"),
                             QStringLiteral("-ar"),  QStringLiteral("44100"), QStringLiteral("-b:a"),
                             QStringLiteral("192k"), QStringLiteral("-ac"),   QStringLiteral("2")};
    m_env.runner.startTool(
        QStringList{QStringLiteral("-ss"), NumberText(audioSeconds), QStringLiteral("-i"), video} + encode
        + QStringList{rest});
    m_env.runner.startTool(QStringList{QStringLiteral("-i"), audio} + encode + QStringList{head});
    const auto status = [this] { return AudioPreparing + QStringLiteral("；") + m_status.timesText(); };
    if (m_env.runner.waitForTool(status) == ToolRunResult::Stopped)
        return {Outcome::Stopped, {}, {}};
    // A list that cannot be written (or a path it refuses) fails the
    // output: an older list there must not be joined instead.
    if (!WriteConcatList(list, {head, rest}))
        return {Outcome::Failed, {}, {}};
    const QStringList join{QStringLiteral("-f"),      QStringLiteral("concat"), QStringLiteral("-safe"),
                           QStringLiteral("0"),       QStringLiteral("-i"),     list,
                           QStringLiteral("-y"),      QStringLiteral("-q:a"),   QStringLiteral("0"),
                           QStringLiteral("-acodec"), QStringLiteral("copy"),   joined};
    if (m_env.runner.runTool(join, AudioPreparing) == ToolRunResult::Stopped)
        return {Outcome::Stopped, {}, {}};
    // A video without sound of its own (or none left after the audio's
    // length) has nothing to fill up with: the audio plays as it is.
    return trackResult(hasContent(joined) ? joined : audio);
}

SoundTrackStep::Result SoundTrackStep::repeat(double audioSeconds, double lengthSeconds,
                                              const Variant &variant)
{
    // As many copies as cover the length (half a copy more, rounded), joined,
    // then cut to the length.
    const QString audio = m_env.settings.fixedAudioText;
    if (audioSeconds <= 0)
        return trackResult(audio);  // no length to count copies by
    const int copies = int(RoundHalfEven(lengthSeconds / audioSeconds + 0.5));
    const QString extension = MediaExtensions::audioCutExtension(audio);
    const QString list = m_env.workspacePath(QStringLiteral("List.txt"));
    const QString joined = m_env.workspacePath(QStringLiteral("M") + extension);
    const QString track = m_env.workspacePath(variant.cutName + extension);
    for (const QString &path : {joined, track})
        removeStale(path);
    if (!WriteConcatList(list, QStringList(copies, audio)))
        return {Outcome::Failed, {}, {}};
    const QStringList join{QStringLiteral("-f"), QStringLiteral("concat"), QStringLiteral("-safe"),
                           QStringLiteral("0"),  QStringLiteral("-i"),     list,
                           QStringLiteral("-y"), QStringLiteral("-q:a"),   QStringLiteral("0"),
                           QStringLiteral("-c"), QStringLiteral("copy"),   joined};
    if (m_env.runner.runTool(join, AudioPreparing) == ToolRunResult::Stopped)
        return {Outcome::Stopped, {}, {}};
    const QStringList cut{QStringLiteral("-ss"),     QStringLiteral("0"),    QStringLiteral("-t"),
                          NumberText(lengthSeconds), QStringLiteral("-i"),   joined,
                          QStringLiteral("-y"),      QStringLiteral("-q:a"), QStringLiteral("0"),
                          QStringLiteral("-c"),      QStringLiteral("copy"), track};
    if (m_env.runner.runTool(cut, AudioPreparing) == ToolRunResult::Stopped)
        return {Outcome::Stopped, {}, {}};
    if (!hasContent(track))
        return {Outcome::Failed, {}, {}};
    return trackResult(track);
}

SoundTrackStep::Result SoundTrackStep::videoSound(const QStringList &extraction, const Variant &variant)
{
    if (extraction.isEmpty())
        return {Outcome::NoTrack, {}, {}};
    const QString extracting = variant.extractionStatus;
    if (variant.preparation == Variant::Preparation::AsExtracted)
        return extractVideoSound(extraction, extracting);
    // Prepared again: the longest-video rule extracts first as a step of its own.
    if (m_env.settings.audioRule == AudioRule::LongestVideo
        && extractVideoSound(extraction, extracting).outcome == Outcome::Stopped)
        return {Outcome::Stopped, {}, {}};
    return extractVideoSound(extraction, AudioPreparing);
}

SoundTrackStep::Result SoundTrackStep::extractVideoSound(const QStringList &extraction,
                                                         const QString &statusText)
{
    const QString extracted = extraction.last();
    removeStale(extracted);
    if (m_env.runner.runTool(extraction, statusText) == ToolRunResult::Stopped)
        return {Outcome::Stopped, {}, {}};
    // A silent source gives no sound to extract: the output is then made
    // silent as that video rather than failing.
    if (!hasContent(extracted))
        return {Outcome::Silent, {}, {}};
    return trackResult(extracted);
}
