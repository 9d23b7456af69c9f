#pragma once

#include <QtGlobal>

#include <functional>

// What the user sees while the update archive downloads: the bytes so far,
// the share when the length is known, and a way to stop.
class DownloadProgressView {
public:
    virtual ~DownloadProgressView() = default;
    // Shows the view; cancel is called when the user asks to stop.
    virtual void open(std::function<void()> cancel) = 0;
    // totalBytes is -1 while the length is unknown.
    virtual void setProgress(qint64 receivedBytes, qint64 totalBytes) = 0;
    virtual void close() = 0;
};
