#include "app/window/BatchDialogs.h"

#include <cstdio>

BatchDialogs::BatchDialogs() : m_err(stderr)
{
    m_err.setEncoding(QStringConverter::Utf8);
}

void BatchDialogs::printProgress(const QString &text)
{
    // Back to the line's start, the text, then the rest of the old line cleared.
    m_err << '\r' << text << "\x1b[K";
    m_err.flush();
    m_progressLineOpen = true;
}

void BatchDialogs::endProgressLine()
{
    if (!m_progressLineOpen)
        return;
    m_err << '\n';
    m_err.flush();
    m_progressLineOpen = false;
}

void BatchDialogs::printLine(const QString &text)
{
    endProgressLine();
    QString oneLine = text;
    oneLine.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(QLatin1Char('\n'), QLatin1Char(' '));
    m_err << oneLine << '\n';
    m_err.flush();
}

DialogAnswer BatchDialogs::showMessage(const MessageRequest &request)
{
    printLine(title() + QStringLiteral("：") + request.text);
    if (request.buttons == MessageButtons::Ok)
        return DialogAnswer::Ok;
    if (!m_answers.isEmpty())
        return m_answers.dequeue();
    return request.defaultAnswer;
}

QStringList BatchDialogs::openFiles(const FileDialogRequest &)
{
    return m_files.isEmpty() ? QStringList() : m_files.dequeue();
}

QString BatchDialogs::chooseFolder(const FolderDialogRequest &)
{
    return m_folders.isEmpty() ? QString() : m_folders.dequeue();
}

void BatchDialogs::setAnswers(const QList<DialogAnswer> &answers)
{
    m_answers.clear();
    for (DialogAnswer a : answers)
        m_answers.enqueue(a);
}
