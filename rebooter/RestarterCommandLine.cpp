#include "rebooter/RestarterCommandLine.h"

#include <QFileInfo>

namespace {
// The other program of the installation, restarted when no program is named.
const QString DefaultProgram = QStringLiteral("ZarvBatchTool");
#ifdef Q_OS_WIN
const QString ExecutableSuffix = QStringLiteral(".exe");
#else
const QString ExecutableSuffix;
#endif
}  // namespace

RestarterCommandLine RestarterCommandLine::parse(const QString &line)
{
    RestarterCommandLine result;
    result.fields = line.split(QLatin1Char('\t'));
    const QString first = result.fields.value(0);
    if (line.isEmpty() || (!first.isEmpty() && QFileInfo(first).isFile()))
        return result;
    if (line.contains(QStringLiteral("close"), Qt::CaseInsensitive))
        result.mode = RestarterMode::CloseWatch;
    else if (line.contains(QStringLiteral("DoFails"), Qt::CaseInsensitive))
        result.mode = RestarterMode::Relaunch;
    return result;
}

UpdateRequest UpdateRequest::fromFields(const QStringList &fields)
{
    UpdateRequest request;
    request.archive = fields.value(0);
    request.restart =
        fields.value(1) == QStringLiteral("1") ? RestartAfterUnpacking::Yes : RestartAfterUnpacking::No;
    request.programFile = (fields.value(2).isEmpty() ? DefaultProgram : fields.at(2)) + ExecutableSuffix;
    request.displayTitle = fields.value(3).isEmpty() ? DefaultProgram : fields.at(3);
    return request;
}
