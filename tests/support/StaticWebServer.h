#pragma once

// A web server on a loopback port for the update tests: Python's http.server
// serving a folder from a child process. A file "X.cut" is served as "X",
// announced whole but cut off half way; a request for "X" when "X.hang"
// exists is never answered, and when "X.late" exists answered after a second.

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>

class StaticWebServer {
public:
    explicit StaticWebServer(const QString &folder) : m_folder(folder) {}
    ~StaticWebServer()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    // False when python3 is missing or the server does not listen in time.
    bool start()
    {
        static const char *script = R"(
import http.server, os, time
class Handler(http.server.SimpleHTTPRequestHandler):
    def do_GET(self):
        path = self.translate_path(self.path)
        if os.path.exists(path + '.hang'):
            time.sleep(120)
        elif os.path.exists(path + '.cut'):
            data = open(path + '.cut', 'rb').read()
            self.send_response(200)
            self.send_header('Content-Length', str(len(data)))
            self.end_headers()
            self.wfile.write(data[:len(data) // 2])
        else:
            if os.path.exists(path + '.late'):
                time.sleep(1)
            super().do_GET()
server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
)";
        QDir().mkpath(m_folder + QStringLiteral("/downs"));
        m_process.setWorkingDirectory(m_folder);
        QString python = QStandardPaths::findExecutable(QStringLiteral("python3"), {QStringLiteral("/usr/bin")});
        if (python.isEmpty())
            python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        m_process.start(python, {QStringLiteral("-c"), script});
        if (!m_process.waitForReadyRead(10000))
            return false;
        m_port = m_process.readLine().trimmed().toUShort();
        return m_port != 0;
    }

    QString baseUrl() const { return QStringLiteral("http://127.0.0.1:%1/").arg(m_port); }
    // Path of a file under the served folder's "downs/".
    QString file(const QString &name) const { return m_folder + QStringLiteral("/downs/") + name; }

    // A loopback port that nothing listens on.
    static quint16 unusedPort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return probe.serverPort();
    }

private:
    QString m_folder;
    QProcess m_process;
    quint16 m_port = 0;
};
