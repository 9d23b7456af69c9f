#pragma once

#include "app/update/UrlDownload.h"

// Downloads the URL into the file and returns when it has ended, keeping the
// window responsive meanwhile; true for a complete download answered with 200.
bool DownloadUrlToFile(const QUrl &url, const QString &path, UrlDownload::Limits limits = {});
