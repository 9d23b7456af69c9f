#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <memory>

class QNetworkReply;

// One download of a URL into a file, always from the server (never from a
// cache). It succeeds only when the server answered 200 and every byte it
// announced was written; the data goes to a temporary file beside the target
// that replaces it only then, so a failed or partial download leaves nothing
// at the target path.
class UrlDownload : public QObject {
    Q_OBJECT
public:
    struct Limits {
        // The whole download, connecting included; zero for no limit.
        std::chrono::milliseconds total{0};
        // Gives up when no data arrives for this long.
        std::chrono::milliseconds stall{30000};
    };

    UrlDownload(const QUrl &url, const QString &path, Limits limits, QObject *parent = nullptr);
    ~UrlDownload() override;

    void start();
    bool isFinished() const { return m_finished; }
    bool succeeded() const { return m_succeeded; }

signals:
    void finished(bool succeeded);

private:
    void onReadyRead();
    void onReplyFinished();
    void finish(bool succeeded);

    QUrl m_url;
    QString m_path;
    Limits m_limits;
    QNetworkAccessManager m_network;
    QNetworkReply *m_reply = nullptr;
    std::unique_ptr<QSaveFile> m_file;
    QTimer m_deadline;
    qint64 m_bytesWritten = 0;
    bool m_writeFailed = false;
    bool m_finished = false;
    bool m_succeeded = false;
};
