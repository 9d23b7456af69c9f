#include "app/run/OutputPath.h"

#include "app/run/RunSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {

// Longer numbers are no output of this program: a run makes at most 2000.
constexpr int kMaxNumberDigits = 8;

}  // namespace

QString OutputPath(const RunSettings &settings, int outputNumber)
{
    const int nameNumber = settings.firstOutputNumber + outputNumber - 1;
    return settings.outputFolderText + QDir::separator()
           + QStringLiteral("%1").arg(nameNumber, 4, 10, QLatin1Char('0')) + QLatin1Char('.')
           + settings.outputType;
}

QStringList ExistingOutputNames(const RunSettings &settings)
{
    QStringList names;
    for (int n = 1; n <= settings.outputCount; ++n) {
        const QFileInfo output(OutputPath(settings, n));
        if (output.exists())
            names.append(output.fileName());
    }
    return names;
}

int HighestOutputNumber(const QString &folder)
{
    static const QRegularExpression outputName(
        QStringLiteral("^(\\d{1,%1})\\.(mp4|avi|flv|wmv)$").arg(kMaxNumberDigits),
        QRegularExpression::CaseInsensitiveOption);
    int highest = 0;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        const QRegularExpressionMatch match = outputName.match(name);
        if (match.hasMatch())
            highest = std::max(highest, match.captured(1).toInt());
    }
    return highest;
}
