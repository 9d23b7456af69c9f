#include "app/library/ProbeQueue.h"

#include "app/library/MediaProber.h"

#include <QThread>

#include <algorithm>
#include <chrono>

ProbeQueue::ProbeQueue(MediaProber &prober, SourceRowMaker maker, ReadyCallback ready)
    : m_prober(prober), m_maker(maker), m_ready(std::move(ready)),
      m_parallel(prober.threads() == ProbeThreads::Any)
{
    m_pool.setMaxThreadCount(workerCount());
}

ProbeQueue::~ProbeQueue()
{
    cancel();
}

int ProbeQueue::workerCount()
{
    return std::max(2, QThread::idealThreadCount());
}

void ProbeQueue::add(const QString &folder, const QString &fileName)
{
    if (m_cancelled)
        return;
    if (!m_parallel) {
        m_files.push_back({folder, fileName});
        return;
    }
    qint64 number = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        number = m_added++;
    }
    // The pool starts its tasks in the order they came.
    m_pool.start([this, number, folder, fileName] {
        if (m_cancelled)
            return;  // started between the stop and the pool's clearing
        SourceRowMaker::Row row = m_maker.make(m_prober, folder, fileName);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_rows.emplace(number, std::move(row));
        }
        m_rowDone.notify_all();
        if (m_ready)
            m_ready();
    });
}

int ProbeQueue::waiting() const
{
    if (!m_parallel)
        return int(m_files.size());
    std::lock_guard<std::mutex> lock(m_mutex);
    return int(m_added - m_taken);
}

bool ProbeQueue::nextIsReady() const
{
    if (!m_parallel)
        return !m_files.empty();
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_rows.count(m_taken) > 0;
}

bool ProbeQueue::waitForNext(int timeoutMs) const
{
    if (!m_parallel)
        return !m_files.empty();
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_rowDone.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [this] { return m_rows.count(m_taken) > 0; });
}

SourceRowMaker::Row ProbeQueue::takeNext()
{
    if (!m_parallel) {
        if (m_files.empty())
            return {};
        const File file = m_files.front();
        m_files.pop_front();
        return m_maker.make(m_prober, file.folder, file.name);
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_taken >= m_added)
        return {};
    m_rowDone.wait(lock, [this] { return m_rows.count(m_taken) > 0; });
    auto found = m_rows.find(m_taken);
    SourceRowMaker::Row row = std::move(found->second);
    m_rows.erase(found);
    ++m_taken;
    return row;
}

void ProbeQueue::cancel()
{
    m_cancelled = true;
    m_files.clear();
    if (!m_parallel)
        return;
    m_pool.clear();
    m_pool.waitForDone();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_rows.clear();
    m_taken = m_added;
}
