#include "app/library/SourceRowMaker.h"

#include "app/library/MediaPatterns.h"
#include "app/library/MediaProber.h"

SourceRowMaker::SourceRowMaker(SourceKind kind, std::optional<double> refuseFromSeconds)
    : m_kind(kind),
      m_refuseFromSeconds(refuseFromSeconds)
{
}

SourceRowMaker::Row SourceRowMaker::make(MediaProber &prober, const QString &folder,
                                         const QString &fileName) const
{
    if (!MediaPatterns::fitsInRow(fileName) || !MediaPatterns::fitsInRow(folder))
        return {};
    const MediaFacts facts = prober.probeFile(SourceTable::joinPath(folder, fileName), m_kind);
    QString durationText;
    if (m_kind != SourceKind::Picture) {
        if (!facts.durationSeconds)
            return {};
        durationText = MediaProber::durationText(*facts.durationSeconds);
    }
    if (m_kind == SourceKind::Audio)
        return {Outcome::Added, {fileName, folder, durationText}};
    // Compared as the cell holds it, so a row never shows the limit itself.
    if (m_kind == SourceKind::Video && m_refuseFromSeconds && durationText.toDouble() >= *m_refuseFromSeconds)
        return {Outcome::Refused, {}};
    if (!facts.frameSize)
        return {};
    QStringList cells{fileName, folder, QString::number(facts.frameSize->width()),
                      QString::number(facts.frameSize->height())};
    if (m_kind == SourceKind::Video)
        cells.append(durationText);
    return {Outcome::Added, cells};
}
