#include "ScriptedDialogs.h"

DialogAnswer ScriptedDialogs::showMessage(const MessageRequest &request)
{
    messages.append(request);
    if (request.buttons == MessageButtons::Ok)
        return DialogAnswer::Ok;
    return answers.isEmpty() ? request.defaultAnswer : answers.dequeue();
}

QStringList ScriptedDialogs::openFiles(const FileDialogRequest &request)
{
    fileRequests.append(request);
    return fileChoices.isEmpty() ? QStringList() : fileChoices.dequeue();
}

QString ScriptedDialogs::chooseFolder(const FolderDialogRequest &request)
{
    folderRequests.append(request);
    return folderChoices.isEmpty() ? QString() : folderChoices.dequeue();
}

QStringList ScriptedDialogs::messageTexts() const
{
    QStringList texts;
    for (const MessageRequest &m : messages)
        texts.append(m.text);
    return texts;
}

void ScriptedDialogs::clear()
{
    answers.clear();
    fileChoices.clear();
    folderChoices.clear();
    messages.clear();
    fileRequests.clear();
    folderRequests.clear();
    beeps = 0;
}
