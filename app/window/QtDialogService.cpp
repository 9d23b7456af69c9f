#include "app/window/QtDialogService.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::StandardButton toButton(DialogAnswer answer)
{
    switch (answer) {
    case DialogAnswer::Ok:
        return QMessageBox::Ok;
    case DialogAnswer::Cancel:
        return QMessageBox::Cancel;
    case DialogAnswer::Yes:
        return QMessageBox::Yes;
    case DialogAnswer::No:
        return QMessageBox::No;
    case DialogAnswer::Retry:
        return QMessageBox::Retry;
    }
    return QMessageBox::Ok;
}

}  // namespace

DialogAnswer QtDialogService::showMessage(const MessageRequest &request)
{
    QMessageBox box(m_owner);
    box.setWindowTitle(title());
    box.setText(request.text);
    switch (request.icon) {
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageIcon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    QMessageBox::StandardButtons buttons;
    switch (request.buttons) {
    case MessageButtons::Ok:
        buttons = QMessageBox::Ok;
        break;
    case MessageButtons::OkCancel:
        buttons = QMessageBox::Ok | QMessageBox::Cancel;
        break;
    case MessageButtons::YesNo:
        buttons = QMessageBox::Yes | QMessageBox::No;
        break;
    case MessageButtons::YesNoCancel:
        buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        break;
    case MessageButtons::RetryCancel:
        buttons = QMessageBox::Retry | QMessageBox::Cancel;
        break;
    }
    box.setStandardButtons(buttons);
    box.setDefaultButton(toButton(request.defaultAnswer));
    // Escape and the close button withdraw: Cancel where the box has it,
    // else No; a box with only OK closes with OK. Enter keeps the default.
    QAbstractButton *escape = box.button(QMessageBox::Cancel);
    if (!escape)
        escape = box.button(QMessageBox::No);
    if (!escape)
        escape = box.button(QMessageBox::Ok);
    box.setEscapeButton(escape);
    const std::pair<QMessageBox::StandardButton, QString> captions[] = {
        {QMessageBox::Yes, QStringLiteral("是(&Y)")},
        {QMessageBox::No, QStringLiteral("否(&N)")},
        {QMessageBox::Ok, QStringLiteral("确定")},
        {QMessageBox::Cancel, QStringLiteral("取消")},
        {QMessageBox::Retry, QStringLiteral("重试(&R)")}};
    for (const auto &[button, caption] : captions) {
        if (QAbstractButton *b = box.button(button))
            b->setText(caption);
    }
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes:
        return DialogAnswer::Yes;
    case QMessageBox::No:
        return DialogAnswer::No;
    case QMessageBox::Ok:
        return DialogAnswer::Ok;
    case QMessageBox::Cancel:
        return DialogAnswer::Cancel;
    case QMessageBox::Retry:
        return DialogAnswer::Retry;
    default:
        break;
    }
    return escapeAnswer(request.buttons);
}

DialogAnswer QtDialogService::escapeAnswer(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return DialogAnswer::Ok;
    case MessageButtons::YesNo:
        return DialogAnswer::No;
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel:
    case MessageButtons::RetryCancel:
        break;
    }
    return DialogAnswer::Cancel;
}

QString QtDialogService::qtFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        entries.append(parts.at(i) + QStringLiteral(" (") + patterns.trimmed() + QLatin1Char(')'));
    }
    return entries.join(QStringLiteral(";;"));
}

QStringList QtDialogService::openFiles(const FileDialogRequest &request)
{
    if (request.selection == FileSelection::Multiple)
        return QFileDialog::getOpenFileNames(m_owner, request.title, request.initialFolder,
                                             qtFilter(request.filter));
    const QString file =
        QFileDialog::getOpenFileName(m_owner, request.title, request.initialFolder, qtFilter(request.filter));
    return file.isEmpty() ? QStringList() : QStringList{file};
}

QString QtDialogService::chooseFolder(const FolderDialogRequest &request)
{
    QFileDialog::Options options = QFileDialog::ShowDirsOnly;
    QFileDialog dialog(m_owner, request.title, request.initialFolder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOptions(options);
    if (request.newFolderButton == NewFolderButton::Hidden)
        dialog.setOption(QFileDialog::ReadOnly, true);  // no make-new-folder button
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void QtDialogService::beep()
{
    QApplication::beep();
}
