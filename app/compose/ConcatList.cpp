#include "app/compose/ConcatList.h"

#include "app/library/MediaPatterns.h"

#include <QFile>
#include <QStringConverter>
#include <QTextStream>

#include <algorithm>

bool WriteConcatList(const QString &listPath, const QStringList &pieces)
{
    // A line break in a path would start a line of its own naming any
    // file at all; such a piece is refused and no list is written.
    if (std::any_of(pieces.cbegin(), pieces.cend(), MediaPatterns::holdsControlCharacter))
        return false;
    QFile file(listPath);
    // A file briefly held by a finishing tool run may refuse the first open.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.close();
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
    }
    QTextStream stream(&file);
    stream.setEncoding(QStringConverter::Utf8);
    for (QString piece : pieces)
        stream << "file '" << piece.replace(QLatin1Char('\''), QStringLiteral("'\\''")) << "'\r\n";
    stream.flush();
    return stream.status() == QTextStream::Ok && file.error() == QFileDevice::NoError;
}
