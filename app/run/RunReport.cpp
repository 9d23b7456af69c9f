#include "app/run/RunReport.h"

#include "app/run/OutputPath.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMap>
#include <QSaveFile>

namespace {

const QString Made = QStringLiteral("made");
const QString Failed = QStringLiteral("failed");
const QString Stopped = QStringLiteral("stopped");
const QString NotStarted = QStringLiteral("not started");

QJsonObject settingsJson(const RunSettings &s)
{
    const auto flag = [](bool value) { return value ? 1 : 0; };
    QJsonObject json;
    json[QStringLiteral("mode")] = int(s.composeMode);
    json[QStringLiteral("TMax")] = s.maxText;
    json[QStringLiteral("TLen")] = s.lengthText;
    json[QStringLiteral("TRndLen")] = s.randomLengthRangeText;
    json[QStringLiteral("TVedio")] = s.videoDrawText;
    json[QStringLiteral("TPlay")] = s.slideSecondsText;
    json[QStringLiteral("TPics")] = s.pictureRangeText;
    json[QStringLiteral("CmbLen")] = int(s.lengthRule);
    json[QStringLiteral("CmbAudio")] = int(s.audioRule);
    json[QStringLiteral("CmbSize")] = s.sizeText;
    json[QStringLiteral("CmbOutType")] = s.outputType;
    json[QStringLiteral("CmbEffect")] = s.effectIndex;
    json[QStringLiteral("ChRndLen")] = flag(s.randomLength);
    json[QStringLiteral("ChAuRnd")] = flag(s.audioRandomStart);
    json[QStringLiteral("ChAddAudio")] = flag(s.addAudio);
    json[QStringLiteral("ChSame")] = flag(s.reuse);
    json[QStringLiteral("ChNoSpace")] = flag(s.noSpace);
    json[QStringLiteral("ChCut")] = flag(s.preciseCut);
    json[QStringLiteral("ChAcc")] = flag(s.preciseQuad);
    json[QStringLiteral("ChPPT")] = flag(s.slideShow);
    json[QStringLiteral("ChSingle")] = flag(s.slideFourSplit);
    json[QStringLiteral("ChKeepSize")] = flag(s.keepPictureSize);
    json[QStringLiteral("LNewAu")] = s.fixedAudioText;
    json[QStringLiteral("output")] = s.outputFolderText;
    json[QStringLiteral("onepass")] = flag(s.fourSourcePipeline == FourSourcePipeline::OnePass);
    return json;
}

// False for a word that is no state.
bool readState(const QString &state, OutputReport &record)
{
    record.started = state != NotStarted;
    if (state == Made)
        record.result = OutputResult::Done;
    else if (state == Stopped)
        record.result = OutputResult::Stopped;
    else
        record.result = OutputResult::Failed;
    return state == Made || state == Stopped || state == Failed || state == NotStarted;
}

}  // namespace

void RunReport::addNotStarted()
{
    QMap<int, OutputReport> byNumber;
    for (const OutputReport &record : std::as_const(records))
        byNumber.insert(record.outputNumber, record);
    for (int n = outputs.first; n <= outputs.last; ++n) {
        if (byNumber.contains(n))
            continue;
        OutputReport record;
        record.outputNumber = n;
        record.file = OutputPath(settings, n);
        record.started = false;
        byNumber.insert(n, record);
    }
    records = byNumber.values();
}

QString RunReport::stateText(const OutputReport &record)
{
    if (!record.started)
        return NotStarted;
    switch (record.result) {
    case OutputResult::Done:
        return Made;
    case OutputResult::Stopped:
        return Stopped;
    case OutputResult::Failed:
    case OutputResult::Skipped:
        break;
    }
    return Failed;
}

QJsonObject RunReport::recordJson(const OutputReport &record)
{
    QJsonArray sources;
    for (const SourceUse &source : record.sources)
        sources.append(QJsonObject{{QStringLiteral("path"), source.path},
                                   {QStringLiteral("start"), source.startSeconds}});
    return QJsonObject{{QStringLiteral("number"), record.outputNumber},
                       {QStringLiteral("file"), record.file},
                       {QStringLiteral("state"), stateText(record)},
                       {QStringLiteral("reason"), record.reason},
                       {QStringLiteral("sources"), sources},
                       {QStringLiteral("sound"), record.soundPath},
                       {QStringLiteral("length"), record.lengthSeconds}};
}

QByteArray RunReport::toJson() const
{
    QJsonArray outputsJson;
    QJsonObject totals{{Made, 0}, {Failed, 0}, {Stopped, 0}, {NotStarted, 0}};
    for (const OutputReport &record : records) {
        outputsJson.append(recordJson(record));
        const QString state = stateText(record);
        totals[state] = totals[state].toInt() + 1;
    }
    const QJsonObject json{{QStringLiteral("seed"), QString::number(seed)},
                           {QStringLiteral("outputs"), outputs.text()},
                           {QStringLiteral("settings"), settingsJson(settings)},
                           {QStringLiteral("records"), outputsJson},
                           {QStringLiteral("totals"), totals}};
    return QJsonDocument(json).toJson(QJsonDocument::Indented);
}

bool RunReport::write(const QString &path, QString *error) const
{
    // Written whole or not at all: an earlier report stays until the new one is complete.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(toJson()) < 0 || !file.commit()) {
        *error = QStringLiteral("无法写入报告文件：") + path + QStringLiteral("（") + file.errorString()
                 + QStringLiteral("）");
        return false;
    }
    return true;
}

std::optional<QList<OutputReport>> RunReport::readRecords(const QString &path)
{
    QFile file(path);
    // A report of a slice is a few hundred bytes per output.
    constexpr qint64 LargestReport = 64 * 1024 * 1024;
    if (!file.open(QIODevice::ReadOnly) || file.size() > LargestReport)
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isObject())
        return std::nullopt;
    QList<OutputReport> records;
    for (const QJsonValue &value : document.object().value(QStringLiteral("records")).toArray()) {
        const QJsonObject json = value.toObject();
        OutputReport record;
        record.outputNumber = json.value(QStringLiteral("number")).toInt();
        record.file = json.value(QStringLiteral("file")).toString();
        if (!readState(json.value(QStringLiteral("state")).toString(), record) || record.outputNumber < 1)
            return std::nullopt;
        record.reason = json.value(QStringLiteral("reason")).toString();
        for (const QJsonValue &source : json.value(QStringLiteral("sources")).toArray())
            record.sources.append(
                {source[QStringLiteral("path")].toString(), source[QStringLiteral("start")].toDouble()});
        record.soundPath = json.value(QStringLiteral("sound")).toString();
        record.lengthSeconds = json.value(QStringLiteral("length")).toDouble();
        records.append(record);
    }
    return records;
}
