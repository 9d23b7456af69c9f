#include "LocalHttpServer.h"

#include <QHostAddress>
#include <QMetaObject>
#include <QMutexLocker>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

namespace {

QByteArray reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 404: return "Not Found";
    default: return "Status";
    }
}

}  // namespace

LocalHttpServer::LocalHttpServer() = default;

LocalHttpServer::~LocalHttpServer()
{
    if (m_host)
        QMetaObject::invokeMethod(m_host, [this] { delete m_server; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete m_host;
}

bool LocalHttpServer::start()
{
    m_host = new QObject;
    m_host->moveToThread(&m_thread);
    m_thread.start();
    bool listening = false;
    QMetaObject::invokeMethod(
        m_host,
        [this, &listening] {
            m_server = new QTcpServer;
            listening = m_server->listen(QHostAddress::LocalHost, 0);
            m_port = m_server->serverPort();
            QObject::connect(m_server, &QTcpServer::newConnection, m_server, [this] {
                while (QTcpSocket *socket = m_server->nextPendingConnection())
                    answer(socket);
            });
        },
        Qt::BlockingQueuedConnection);
    return listening;
}

// One request per connection; the answer closes it.
void LocalHttpServer::answer(QTcpSocket *socket)
{
    auto head = std::make_shared<QByteArray>();
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, head] {
        const bool complete = head->contains("\r\n\r\n");
        *head += socket->readAll();
        if (complete || !head->contains("\r\n\r\n"))
            return;
        const QString text = QString::fromLatin1(head->left(head->indexOf("\r\n\r\n")));
        record(text);
        const Response response = responseFor(text.section(QLatin1Char(' '), 1, 1));
        if (response.delivery == Delivery::Never)
            return;
        QByteArray reply = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reason(response.status)
            + "\r\nContent-Type: " + response.contentType
            + "\r\nContent-Length: " + QByteArray::number(response.body.size()) + "\r\nConnection: close\r\n\r\n";
        reply += response.delivery == Delivery::CutShort ? response.body.left(response.body.size() / 2)
                                                         : response.body;
        QTimer::singleShot(response.delivery == Delivery::Late ? 1000 : 0, socket, [socket, reply] {
            socket->write(reply);
            socket->disconnectFromHost();
        });
    });
}

QString LocalHttpServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1/").arg(m_port);
}

void LocalHttpServer::serve(const QString &path, const Response &response)
{
    QMutexLocker lock(&m_mutex);
    m_responses.insert(path, response);
}

QStringList LocalHttpServer::requests() const
{
    QMutexLocker lock(&m_mutex);
    return m_requests;
}

LocalHttpServer::Response LocalHttpServer::responseFor(const QString &path) const
{
    QMutexLocker lock(&m_mutex);
    return m_responses.value(path, Response{404, "<html><body>404 Not Found</body></html>", "text/html"});
}

void LocalHttpServer::record(const QString &head)
{
    QMutexLocker lock(&m_mutex);
    m_requests.append(head);
}

quint16 LocalHttpServer::unusedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}
