#include "app/library/FolderPathText.h"

#include <QRegularExpression>

QString FolderPathText::asFolderCaption(const QString &path)
{
    if (path.isEmpty())
        return {};
    static const QRegularExpression runs(QStringLiteral("/{2,}"));
    QString caption = path + QLatin1Char('/');
    caption.replace(runs, QStringLiteral("/"));
    if (path.startsWith(QLatin1String("//")))
        caption.prepend(QLatin1Char('/'));
    return caption;
}

QString FolderPathText::folderPickerStart(const QString &programFolder, const QString &homeFolder)
{
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
    if (drive.match(programFolder).hasMatch())
        return programFolder.left(2) + QLatin1Char('/');
    return homeFolder;
}
