#include "app/update/UrlDownload.h"

#include <QNetworkReply>
#include <QNetworkRequest>

namespace {
// What the reply may hold between two reads.
constexpr qint64 ReadBufferBytes = 64 * 1024;
}  // namespace

UrlDownload::UrlDownload(const QUrl &url, const QString &path, Limits limits, QObject *parent)
    : QObject(parent),
      m_url(url),
      m_path(path),
      m_limits(limits)
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &UrlDownload::giveUp);
    connect(&m_rateCheck, &QTimer::timeout, this, &UrlDownload::checkRate);
}

UrlDownload::~UrlDownload()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
    delete m_network;  // and with it the reply
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
    m_clock.start();
    m_reply = m_network->get(request);
    m_reply->setReadBufferSize(ReadBufferBytes);
    connect(m_reply, &QNetworkReply::readyRead, this, &UrlDownload::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &UrlDownload::onReplyFinished);
    if (m_limits.total.count() > 0)
        m_deadline.start(m_limits.total);
    if (m_limits.minimumBytesPerSecond > 0)
        m_rateCheck.start(m_limits.rateWindow);
}

void UrlDownload::cancel()
{
    abortReply();
}

void UrlDownload::abortReply()
{
    m_aborted = true;
    if (m_reply)
        m_reply->abort();  // ends in onReplyFinished with an error
}

void UrlDownload::giveUp()
{
    // Ends now: a reply busy reading a flood of headers would take its time
    // to notice an abort.
    m_aborted = true;
    if (!m_reply)
        return;
    m_reply->disconnect(this);
    m_reply->abort();
    m_reply = nullptr;
    m_network = nullptr;  // left to end with the process
    finish(false);
}

void UrlDownload::checkRate()
{
    const qint64 arrived = m_bytesWritten - m_bytesAtRateCheck;
    m_bytesAtRateCheck = m_bytesWritten;
    if (arrived < m_limits.minimumBytesPerSecond * m_limits.rateWindow.count() / 1000)
        abortReply();
}

void UrlDownload::onReadyRead()
{
    if (!m_reply->isOpen())  // aborted
        return;
    if (m_limits.total.count() > 0 && m_clock.elapsed() > m_limits.total.count()) {
        giveUp();
        return;
    }
    // Only the answer to a successful request is the file; an error page is
    // not, and it is read only to be dropped.
    const bool wanted = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 200
                        && !m_writeFailed && !m_keptEnough;
    while (m_reply->bytesAvailable() > 0) {
        qint64 room = ReadBufferBytes;
        if (m_limits.keepFirstBytes > 0)
            room = qMin(room, m_limits.keepFirstBytes - m_bytesWritten);
        const QByteArray data = m_reply->read(qMax<qint64>(room, 1));
        if (!wanted || room <= 0)
            continue;
        if (m_file->write(data) != data.size()) {
            m_writeFailed = true;
            break;
        }
        m_bytesWritten += data.size();
    }
    if (wanted && m_limits.keepFirstBytes > 0 && m_bytesWritten >= m_limits.keepFirstBytes) {
        m_keptEnough = true;
        abortReply();
        return;
    }
    if (wanted) {
        const QVariant announced = m_reply->header(QNetworkRequest::ContentLengthHeader);
        emit progressed(m_bytesWritten, announced.isValid() ? announced.toLongLong() : -1);
    }
}

void UrlDownload::onReplyFinished()
{
    QNetworkReply *reply = m_reply;
    if (!m_keptEnough)
        onReadyRead();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
    const bool complete = !announced.isValid() || announced.toLongLong() == m_bytesWritten;
    const bool ok =
        m_keptEnough || (!m_aborted && reply->error() == QNetworkReply::NoError && status == 200 && complete);
    m_reply = nullptr;
    reply->deleteLater();
    finish(ok && !m_writeFailed && m_file->commit());
}

void UrlDownload::finish(bool succeeded)
{
    m_deadline.stop();
    m_rateCheck.stop();
    if (m_file && !succeeded)
        m_file->cancelWriting();
    m_file.reset();
    m_finished = true;
    m_succeeded = succeeded;
    emit finished(succeeded);
}
