#pragma once

// A stand-in installation in a temporary folder for the restarter tests: a
// copy of the restarter beside copies of the stand-in program under the names
// the restarter starts, and runs of the real restarter program.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>

struct RestarterRun {
    int exitCode = -1;
    QString errors;  // standard error: one line per message box
};

class Installation {
public:
    Installation() : folder(root.filePath(QStringLiteral("安装 目录")))
    {
        QDir().mkpath(folder);
        QFile::copy(QStringLiteral(ZARV_PROGRAM_DIR "/ZarvRebooter"), restarter());
        environment.insert(QStringLiteral("ZARV_NO_DIALOGS"), QStringLiteral("1"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), root.filePath(QStringLiteral("config")));
        // The design's fixed pauses, a twentieth as long.
        environment.insert(QStringLiteral("ZARV_RESTARTER_WAIT_FACTOR"), QStringLiteral("0.05"));
    }
    ~Installation()
    {
        // Stand-ins started by the restarter are not its children: end them here.
        for (const QString &name : QDir(folder).entryList({QStringLiteral("*.log")})) {
            QFile log(folder + QLatin1Char('/') + name);
            log.open(QIODevice::ReadOnly);
            for (const QByteArray &line : log.readAll().split('\n')) {
                if (const qint64 pid = line.split(' ').value(0).toLongLong(); pid > 0)
                    ::kill(static_cast<pid_t>(pid), SIGKILL);
            }
        }
    }

    QString restarter() const { return folder + QStringLiteral("/ZarvRebooter"); }
    // Every file of the installation but the stand-ins' logs, with its content.
    QMap<QString, QByteArray> snapshot() const
    {
        QMap<QString, QByteArray> files;
        QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            if (!path.endsWith(QStringLiteral(".log")) && file.open(QIODevice::ReadOnly))
                files.insert(QDir(folder).relativeFilePath(path), file.readAll());
        }
        return files;
    }
    QString path(const QString &name) const { return folder + QLatin1Char('/') + name; }
    void addStandIn(const QString &name) const { QFile::copy(QStringLiteral(ZARV_STANDIN), path(name)); }
    // The lines the stand-in wrote at its starts ("<pid> <arguments>").
    QStringList starts(const QString &name) const
    {
        QFile log(path(name) + QStringLiteral(".log"));
        if (!log.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    // Waits (at most ten seconds) until the stand-in has started that often.
    QStringList waitForStarts(const QString &name, int count = 1) const
    {
        for (int pass = 0; pass < 100 && starts(name).size() < count; ++pass)
            QThread::msleep(100);
        return starts(name);
    }
    void start(QProcess &process, const QStringList &arguments) const
    {
        process.setProcessEnvironment(environment);
        process.start(restarter(), arguments);
        process.waitForStarted();
    }
    RestarterRun run(const QStringList &arguments) const
    {
        QProcess process;
        start(process, arguments);
        RestarterRun result;
        if (process.waitForFinished(120 * 1000) && process.exitStatus() == QProcess::NormalExit)
            result.exitCode = process.exitCode();
        else
            process.kill();
        result.errors = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    QTemporaryDir root;
    QString folder;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
};
