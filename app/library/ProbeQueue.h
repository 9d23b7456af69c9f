#pragma once

#include "app/library/SourceRowMaker.h"

#include <QThreadPool>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <unordered_map>

class MediaProber;

// Probes the files of one add or load ahead of the list and hands their rows
// out in the order the files came in. A prober that allows it probes on a
// few worker threads (one per core, at least two: probing also waits for
// the disk); any other probes each file on the caller's thread when its row
// is taken.
class ProbeQueue {
public:
    // Called on a worker thread after each probed file, e.g. to wake the
    // window thread.
    using ReadyCallback = std::function<void()>;

    ProbeQueue(MediaProber &prober, SourceRowMaker maker, ReadyCallback ready = {});
    // Cancels what is left.
    ~ProbeQueue();
    ProbeQueue(const ProbeQueue &) = delete;
    ProbeQueue &operator=(const ProbeQueue &) = delete;

    void add(const QString &folder, const QString &fileName);
    // Files added whose rows were not taken yet.
    int waiting() const;
    // True when the next row can be taken without waiting for a worker.
    bool nextIsReady() const;
    // The next row in order; waits for it while a worker still probes it.
    // Only while waiting() > 0.
    SourceRowMaker::Row takeNext();
    // Waits up to timeoutMs for the next row to be ready.
    bool waitForNext(int timeoutMs) const;
    // Drops the files not started and waits for those being probed, which
    // takes at most one file's time. Nothing is waiting afterwards, and the
    // queue takes no more files.
    void cancel();
    bool isCancelled() const { return m_cancelled.load(); }

    bool onWorkerThreads() const { return m_parallel; }
    static int workerCount();

private:
    struct File {
        QString folder;
        QString name;
    };

    MediaProber &m_prober;
    const SourceRowMaker m_maker;
    const ReadyCallback m_ready;
    const bool m_parallel;

    // Window-thread probing: the files not probed yet.
    std::deque<File> m_files;

    // Worker probing: rows by their file's number.
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_rowDone;
    std::unordered_map<qint64, SourceRowMaker::Row> m_rows;
    qint64 m_added = 0;
    qint64 m_taken = 0;
    std::atomic<bool> m_cancelled{false};
    QThreadPool m_pool;
};
