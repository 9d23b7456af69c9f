#pragma once

#include "app/update/DownloadProgressView.h"

#include <memory>

class QProgressDialog;

// The small window the archive download shows while the main window is
// hidden: bytes so far, the share when the length is known, and Cancel.
class UpdateProgressDialog : public DownloadProgressView {
public:
    UpdateProgressDialog();
    ~UpdateProgressDialog() override;

    void open(std::function<void()> cancel) override;
    void setProgress(qint64 receivedBytes, qint64 totalBytes) override;
    void close() override;

private:
    std::unique_ptr<QProgressDialog> m_dialog;
};
