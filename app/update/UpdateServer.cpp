#include "app/update/UpdateServer.h"

#ifndef ZARV_UPDATE_BASE_URL
#define ZARV_UPDATE_BASE_URL ""
#endif

QUrl UpdateServer::baseUrl()
{
    if (qEnvironmentVariableIsSet("ZARV_UPDATE_URL"))
        return baseUrlFrom(qEnvironmentVariable("ZARV_UPDATE_URL"));
    return baseUrlFrom(QStringLiteral(ZARV_UPDATE_BASE_URL));
}

QUrl UpdateServer::baseUrlFrom(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {};
    QUrl url(trimmed, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return {};
    if (!url.path().endsWith(QLatin1Char('/')))
        url.setPath(url.path() + QLatin1Char('/'));
    url.setQuery(QString());
    url.setFragment(QString());
    return url;
}

QUrl UpdateServer::fileUrl(const QUrl &base, const QString &fileName)
{
    return base.resolved(QUrl(QStringLiteral("downs/") + fileName));
}
