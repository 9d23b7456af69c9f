#pragma once

#include "platform/DialogService.h"

class QWidget;

// The real dialogs: Qt message boxes, file dialogs and the folder picker.
class QtDialogService : public DialogService {
public:
    explicit QtDialogService(QWidget *owner = nullptr) : m_owner(owner) {}
    void setOwner(QWidget *owner) { m_owner = owner; }

    DialogAnswer showMessage(const MessageRequest &request) override;
    QStringList openFiles(const FileDialogRequest &request) override;
    QString chooseFolder(const FolderDialogRequest &request) override;
    void beep() override;

    // What Escape or the close button answers.
    static DialogAnswer escapeAnswer(MessageButtons buttons);

    // "caption|*.a;*.b|caption2|*.*" to Qt's "caption (*.a *.b);;caption2 (*.*)".
    static QString qtFilter(const QString &filter);

private:
    QWidget *m_owner;
};
