#include "app/update/DownloadUrlToFile.h"

#include <QEventLoop>

bool DownloadUrlToFile(const QUrl &url, const QString &path, UrlDownload::Limits limits)
{
    UrlDownload download(url, path, limits);
    QEventLoop loop;
    QObject::connect(&download, &UrlDownload::finished, &loop, &QEventLoop::quit);
    download.start();
    if (!download.isFinished())
        loop.exec();
    return download.succeeded();
}
