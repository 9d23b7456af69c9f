#pragma once

#include "app/library/SourceTable.h"

#include <QStringList>

#include <optional>

class MediaProber;

// The precise four-split mode takes videos up to this length only.
inline constexpr double kPreciseQuadLimitSeconds = 300;

// Turns one file into the cells of its source row, probing it once. A file
// that cannot be probed gets no row: a made-up size or length would only
// fail later, in the middle of a run.
class SourceRowMaker {
public:
    enum class Outcome { Added, Refused, Unusable };
    struct Row {
        Outcome outcome = Outcome::Unusable;
        QStringList cells;
    };

    // Videos of refuseFromSeconds or longer are refused (the precise-quad
    // rule); none when it is empty.
    explicit SourceRowMaker(SourceKind kind, std::optional<double> refuseFromSeconds = std::nullopt);

    SourceKind kind() const { return m_kind; }
    Row make(MediaProber &prober, const QString &folder, const QString &fileName) const;

private:
    SourceKind m_kind;
    std::optional<double> m_refuseFromSeconds;
};
