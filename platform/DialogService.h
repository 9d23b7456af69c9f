#pragma once

#include <QString>
#include <QStringList>

// Every message box, file dialog, folder picker and beep of the program goes
// through this interface: the window implements it with Qt, tests replace it
// with a scripted fake that records what was asked and answers as told.
// Every message box is titled "消息".

enum class MessageIcon { Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class DialogAnswer { Ok, Cancel, Yes, No, Retry };
enum class FileSelection { Single, Multiple };
enum class NewFolderButton { Hidden, Shown };

struct MessageRequest {
    QString text;
    MessageIcon icon = MessageIcon::Information;
    MessageButtons buttons = MessageButtons::Ok;
    DialogAnswer defaultAnswer = DialogAnswer::Ok;
};

struct FileDialogRequest {
    QString title;
    QString filter;  // "caption|*.a;*.b|caption2|*.*"
    FileSelection selection = FileSelection::Single;
};

struct FolderDialogRequest {
    QString title;
    QString initialFolder;
    NewFolderButton newFolderButton = NewFolderButton::Hidden;
};

class DialogService {
public:
    virtual ~DialogService() = default;
    static QString title() { return QStringLiteral("消息"); }

    virtual DialogAnswer showMessage(const MessageRequest &request) = 0;
    // Full paths of the chosen files, in the dialog's order; empty when cancelled.
    virtual QStringList openFiles(const FileDialogRequest &request) = 0;
    // The chosen folder; empty when cancelled.
    virtual QString chooseFolder(const FolderDialogRequest &request) = 0;
    virtual void beep() = 0;

    // Shorthand for a message with only an OK button.
    void inform(const QString &text, MessageIcon icon)
    {
        showMessage({text, icon, MessageButtons::Ok, DialogAnswer::Ok});
    }
};
