#include "app/run/OutputPath.h"

#include "app/run/RunSettings.h"

#include <QDir>

QString OutputPath(const RunSettings &settings, int outputNumber)
{
    return settings.outputFolderText + QDir::separator()
           + QStringLiteral("%1").arg(outputNumber, 4, 10, QLatin1Char('0')) + QLatin1Char('.')
           + settings.outputType;
}
