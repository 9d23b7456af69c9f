#pragma once

// A web server on a loopback port for the update tests: Python's http.server
// serving a folder from a child process. A file "X.cut" is served as "X",
// announced whole but cut off half way; "X.nolength" as "X" without a length;
// "X.slow" as "X", announced whole, one byte every 0.2 s. A request for "X"
// when "X.hang" exists is never answered, when "X.late" exists answered after
// a second; "X.endless" makes an answer that never ends, "X.huge" one of
// 100 MB, "X.bighead" one with a 50 MB header.

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
    def log_message(self, *args):
        pass
    def do_GET(self):
        try:
            self.answer()
        except OSError:
            pass  # the client went away
    def answer(self):
        path = self.translate_path(self.path)
        if os.path.exists(path + '.hang'):
            time.sleep(120)
        elif os.path.exists(path + '.endless'):
            self.send_response(200)
            self.end_headers()
            chunk = b'03' + b' ' * 65534
            while True:
                self.wfile.write(chunk)
        elif os.path.exists(path + '.huge'):
            self.send_response(200)
            self.send_header('Content-Length', str(100 * 1024 * 1024))
            self.end_headers()
            chunk = b'x' * (1024 * 1024)
            for _ in range(100):
                self.wfile.write(chunk)
        elif os.path.exists(path + '.bighead'):
            self.send_response(200)
            self.send_header('X-Filler', 'a' * (50 * 1024 * 1024))
            self.end_headers()
            self.wfile.write(b'03\n')
        elif os.path.exists(path + '.cut'):
            data = open(path + '.cut', 'rb').read()
            self.send_response(200)
            self.send_header('Content-Length', str(len(data)))
            self.end_headers()
            self.wfile.write(data[:len(data) // 2])
        elif os.path.exists(path + '.nolength'):
            self.send_response(200)
            self.end_headers()
            self.wfile.write(open(path + '.nolength', 'rb').read())
        elif os.path.exists(path + '.slow'):
            data = open(path + '.slow', 'rb').read()
            self.send_response(200)
            self.send_header('Content-Length', str(len(data)))
            self.end_headers()
            for i in range(len(data)):
                self.wfile.write(data[i:i + 1])
                self.wfile.flush()
                time.sleep(0.2)
        else:
            if os.path.exists(path + '.late'):
                time.sleep(1)
            super().do_GET()
http.server.ThreadingHTTPServer.daemon_threads = True
server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
)";
        QDir().mkpath(m_folder + QStringLiteral("/downs"));
        m_process.setWorkingDirectory(m_folder);
        QString python =
            QStandardPaths::findExecutable(QStringLiteral("python3"), {QStringLiteral("/usr/bin")});
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
