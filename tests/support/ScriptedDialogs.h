#pragma once

#include "platform/DialogService.h"

#include <QList>
#include <QQueue>

// A DialogService for tests: records every request and answers from scripts.
// Message boxes with more than an OK button take the next scripted answer, or
// their default button when the script has run out.
class ScriptedDialogs : public DialogService {
public:
    DialogAnswer showMessage(const MessageRequest &request) override;
    QStringList openFiles(const FileDialogRequest &request) override;
    QString chooseFolder(const FolderDialogRequest &request) override;
    void beep() override { ++beeps; }

    // The texts of all messages shown so far, in order.
    QStringList messageTexts() const;
    void clear();

    QQueue<DialogAnswer> answers;
    QQueue<QStringList> fileChoices;
    QQueue<QString> folderChoices;

    QList<MessageRequest> messages;
    QList<FileDialogRequest> fileRequests;
    QList<FolderDialogRequest> folderRequests;
    int beeps = 0;
};
