#include "app/window/UpdateProgressDialog.h"

#include "platform/DialogService.h"

#include <QProgressDialog>

namespace {

QString kibibytes(qint64 bytes)
{
    return QString::number((bytes + 1023) / 1024) + QStringLiteral(" KB");
}

}  // namespace

UpdateProgressDialog::UpdateProgressDialog() = default;
UpdateProgressDialog::~UpdateProgressDialog() = default;

void UpdateProgressDialog::open(std::function<void()> cancel)
{
    m_dialog = std::make_unique<QProgressDialog>();
    m_dialog->setWindowTitle(DialogService::title());
    m_dialog->setLabelText(QStringLiteral("正在下载更新升级文件包……"));
    m_dialog->setCancelButtonText(QStringLiteral("取消"));
    m_dialog->setRange(0, 0);
    m_dialog->setMinimumDuration(0);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    QObject::connect(m_dialog.get(), &QProgressDialog::canceled, m_dialog.get(), std::move(cancel));
    m_dialog->show();
}

void UpdateProgressDialog::setProgress(qint64 receivedBytes, qint64 totalBytes)
{
    if (!m_dialog)
        return;
    QString text = QStringLiteral("正在下载更新升级文件包：") + kibibytes(receivedBytes);
    if (totalBytes > 0) {
        const int percent = int(qMin<qint64>(100, receivedBytes * 100 / totalBytes));
        text += QStringLiteral(" / ") + kibibytes(totalBytes) + QStringLiteral("（%1%）").arg(percent);
        m_dialog->setRange(0, 100);
        m_dialog->setValue(percent);
    }
    m_dialog->setLabelText(text);
}

void UpdateProgressDialog::close()
{
    m_dialog.reset();
}
