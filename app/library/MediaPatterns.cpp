#include "app/library/MediaPatterns.h"

#include <algorithm>

#include <QRegularExpression>

MediaPatterns::MediaPatterns(const QString &patternText)
{
    static const QRegularExpression separators(QStringLiteral("[;|]"));
    for (const QString &piece : patternText.split(separators, Qt::SkipEmptyParts)) {
        const QString pattern = piece.trimmed();
        if (!pattern.startsWith(QLatin1String("*.")))
            continue;  // a dialog caption
        const QString extension = pattern.mid(2).toLower();
        if (extension.isEmpty() || extension.contains(QLatin1Char('*'))
            || extension.contains(QLatin1Char('?')))
            continue;
        m_extensions.insert(extension);
    }
}

QString MediaPatterns::videoPatternText()
{
    return QStringLiteral("*.mpeg;*.wmv;*.divx;*.dat;*.mpx;*.asf;*.avi;*.mov;")
           + QStringLiteral("*.mpg;*.rm;*.rmvb;*.mp4;*.mkv;*.ogg;*.vob;*.mka;*.mks;*.ogm;*.mpgv;*.mpv;*.m1v;")
           + QStringLiteral("*.m2v;*.qt;*.ra;*.ifo;*.dts;*.ape;*.mac;*.au;*.iff;*.svx8;*.sv16;")
           + QStringLiteral("*.paf;*.sd2;*.irca;*.w64;*.mat;*.pvf;*.xi;*.sds;*.avr;*.flv;")
           + QStringLiteral("*.webm;*.m4v;*.ts;*.mts;*.m2ts;*.3gp|其他文件(慎用，可能出错或无结果)|*.*");
}

QString MediaPatterns::audioPatternText()
{
    return QStringLiteral("*.mp3;*.mp2;*.wav;*.wma;*.m4a;*.acc;*.wav;*.aac;*.flac;*.ogg;*.opus");
}

QString MediaPatterns::picturePatternText()
{
    return QStringLiteral("*.jpg;*.jpeg;*.png;*.gif;*.tif;*.tiff;*.bmp;*.webp");
}

QString MediaPatterns::extensionOf(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || dot == fileName.size() - 1)
        return {};
    return fileName.mid(dot + 1).toLower();
}

bool MediaPatterns::holdsControlCharacter(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x20; });
}

bool MediaPatterns::fitsInRow(const QString &text)
{
    return !holdsControlCharacter(text);
}

bool MediaPatterns::matches(const QString &fileName) const
{
    const QString extension = extensionOf(fileName);
    return !extension.isEmpty() && m_extensions.contains(extension);
}
