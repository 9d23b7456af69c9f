#pragma once

#include "platform/DialogService.h"

#include <QQueue>
#include <QTextStream>

// The dialogs of the headless batch mode: every message is printed to
// standard error; questions take the job's answers in order, then their
// default button (the completion question's is No). File and folder
// dialogs answer with what the job queued for them.
class BatchDialogs : public DialogService {
public:
    BatchDialogs();

    DialogAnswer showMessage(const MessageRequest &request) override;
    QStringList openFiles(const FileDialogRequest &request) override;
    QString chooseFolder(const FolderDialogRequest &request) override;
    void beep() override { ++m_beeps; }

    // A line of its own (after an open progress line).
    void printLine(const QString &text);
    // Rewrites the progress line in place (a terminal's carriage return).
    void printProgress(const QString &text);
    // Ends an open progress line, so the next text starts a line of its own.
    void endProgressLine();
    void setAnswers(const QList<DialogAnswer> &answers);
    void queueFiles(const QStringList &files) { m_files.enqueue(files); }
    void queueFolder(const QString &folder) { m_folders.enqueue(folder); }
    int beeps() const { return m_beeps; }

private:
    QTextStream m_err;
    QQueue<DialogAnswer> m_answers;
    QQueue<QStringList> m_files;
    QQueue<QString> m_folders;
    int m_beeps = 0;
    bool m_progressLineOpen = false;
};
