#include "app/compose/PictureFrames.h"

#include "app/compose/MediaExtensions.h"

#include <QDir>
#include <QFile>

#include <filesystem>
#include <system_error>

PictureFrames::PictureFrames(QString folder) : m_folder(std::move(folder))
{
}

bool PictureFrames::reset()
{
    m_count = 0;
    QDir dir(m_folder);
    if (dir.exists() && !dir.removeRecursively())
        return false;
    return QDir().mkpath(m_folder);
}

QString PictureFrames::pattern() const
{
    return MediaExtensions::jpegSeriesPattern(m_folder);
}

QString PictureFrames::framePath(int number) const
{
    return m_folder + QDir::separator() + QStringLiteral("%1.jpg").arg(number, 6, 10, QLatin1Char('0'));
}

bool PictureFrames::append(const QString &frameFile, int count)
{
    const std::filesystem::path source(QFile::encodeName(frameFile).toStdString());
    for (int i = 0; i < count; ++i) {
        const QString target = framePath(m_count + 1);
        QFile::remove(target);
        std::error_code error;
        std::filesystem::create_hard_link(source, QFile::encodeName(target).toStdString(), error);
        if (error && !QFile::copy(frameFile, target))
            return false;
        ++m_count;
    }
    return true;
}
