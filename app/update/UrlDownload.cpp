#include "app/update/UrlDownload.h"

#include <QNetworkReply>
#include <QNetworkRequest>

UrlDownload::UrlDownload(const QUrl &url, const QString &path, Limits limits, QObject *parent)
    : QObject(parent), m_url(url), m_path(path), m_limits(limits)
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        if (m_reply)
            m_reply->abort();  // ends in onReplyFinished with an error
    });
}

UrlDownload::~UrlDownload()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

void UrlDownload::start()
{
    const QString scheme = m_url.scheme().toLower();
    if (!m_url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        finish(false);
        return;
    }
    m_file = std::make_unique<QSaveFile>(m_path);
    if (!m_file->open(QIODevice::WriteOnly)) {
        finish(false);
        return;
    }
    QNetworkRequest request(m_url);
    // A stale copy must never stand in for the server's file, neither here
    // nor in a proxy on the way.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setRawHeader("Cache-Control", "no-cache");
    request.setRawHeader("Pragma", "no-cache");
    request.setTransferTimeout(int(m_limits.stall.count()));
    m_reply = m_network.get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &UrlDownload::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &UrlDownload::onReplyFinished);
    if (m_limits.total.count() > 0)
        m_deadline.start(m_limits.total);
}

void UrlDownload::onReadyRead()
{
    if (!m_reply->isOpen())  // aborted
        return;
    const QByteArray data = m_reply->readAll();
    // Only the answer to a successful request is the file; an error page is not.
    if (m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() != 200 || m_writeFailed)
        return;
    if (m_file->write(data) != data.size())
        m_writeFailed = true;
    else
        m_bytesWritten += data.size();
}

void UrlDownload::onReplyFinished()
{
    QNetworkReply *reply = m_reply;
    onReadyRead();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
    const bool complete = !announced.isValid() || announced.toLongLong() == m_bytesWritten;
    const bool ok = reply->error() == QNetworkReply::NoError && status == 200 && !m_writeFailed && complete;
    m_reply = nullptr;
    reply->deleteLater();
    finish(ok && m_file->commit());
}

void UrlDownload::finish(bool succeeded)
{
    m_deadline.stop();
    if (m_file && !succeeded)
        m_file->cancelWriting();
    m_file.reset();
    m_finished = true;
    m_succeeded = succeeded;
    emit finished(succeeded);
}
