#pragma once

#include <QElapsedTimer>
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
// at the target path. Whatever the server sends, memory stays bounded: the
// answer is read in small pieces and the time limit is checked as they come.
class UrlDownload : public QObject {
    Q_OBJECT
public:
    struct Limits {
        // The whole download, connecting included; zero for no limit.
        std::chrono::milliseconds total{0};
        // Gives up when no data arrives for this long.
        std::chrono::milliseconds stall{30000};
        // Gives up when fewer bytes than this arrive on average over any
        // rateWindow; zero for no minimum.
        qint64 minimumBytesPerSecond = 0;
        std::chrono::milliseconds rateWindow{20000};
        // Keeps only the first bytes of a longer answer and ends there as a
        // success; zero keeps the whole answer.
        qint64 keepFirstBytes = 0;
    };

    UrlDownload(const QUrl &url, const QString &path, Limits limits, QObject *parent = nullptr);
    ~UrlDownload() override;

    void start();
    // Ends a running download as a failure; nothing stays at the path.
    void cancel();
    bool isFinished() const { return m_finished; }
    bool succeeded() const { return m_succeeded; }

signals:
    // total is -1 while the server has not announced a length.
    void progressed(qint64 received, qint64 total);
    void finished(bool succeeded);

private:
    void onReadyRead();
    void onReplyFinished();
    void checkRate();
    void giveUp();
    void abortReply();
    void finish(bool succeeded);

    QUrl m_url;
    QString m_path;
    Limits m_limits;
    // Abandoned, not destroyed, when a reply is stuck: destroying it would
    // wait for the reply's thread.
    QNetworkAccessManager *m_network = new QNetworkAccessManager;
    QNetworkReply *m_reply = nullptr;
    std::unique_ptr<QSaveFile> m_file;
    QTimer m_deadline;
    QTimer m_rateCheck;
    QElapsedTimer m_clock;
    qint64 m_bytesWritten = 0;
    qint64 m_bytesAtRateCheck = 0;
    bool m_writeFailed = false;
    bool m_keptEnough = false;
    bool m_aborted = false;
    bool m_finished = false;
    bool m_succeeded = false;
};
