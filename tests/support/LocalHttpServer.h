#pragma once

// A small web server on a loopback port for the update tests. It runs on its
// own thread, so it answers while the test's thread waits on a download or a
// child process.

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QThread>

class QTcpServer;

class LocalHttpServer {
public:
    enum class Delivery {
        Whole,
        CutShort,  // announces the whole body, sends half of it, hangs up
        Never,     // accepts the request and never answers
        Late,      // answers in whole after a second
    };
    struct Response {
        int status = 200;
        QByteArray body;
        QByteArray contentType = "application/octet-stream";
        Delivery delivery = Delivery::Whole;
    };

    LocalHttpServer();
    ~LocalHttpServer();

    // Listens on 127.0.0.1 at a port the system picks; false when it cannot.
    bool start();
    // "http://127.0.0.1:PORT/"
    QString baseUrl() const;
    // Serves the response at the path ("/downs/x.txt"); other paths get 404.
    void serve(const QString &path, const Response &response);
    // The request heads received so far, in order.
    QStringList requests() const;
    // A loopback port that nothing listens on.
    static quint16 unusedPort();

private:
    void answer(class QTcpSocket *socket);
    Response responseFor(const QString &path) const;
    void record(const QString &head);

    QThread m_thread;
    QObject *m_host = nullptr;  // lives on the server thread
    QTcpServer *m_server = nullptr;
    quint16 m_port = 0;
    mutable QMutex m_mutex;
    QHash<QString, Response> m_responses;
    QStringList m_requests;
};
