#include "app/library/MediaProber.h"
#include "app/library/ProbeQueue.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

using namespace std::chrono_literals;
constexpr auto kBound = 20s;  // a wait that lasts this long has hung

// Answers every file's number (its name) as its length. "0" waits until "1"
// was probed, so the files are finished out of order; with the gate closed,
// every probe waits for it.
class OrderingProber : public MediaProber {
public:
    std::optional<double> probeDuration(const QString &path) override
    {
        const int number = QFileInfo(path).fileName().toInt();
        std::unique_lock<std::mutex> lock(mutex);
        ++started;
        changed.notify_all();
        const bool inTime = changed.wait_for(lock, kBound, [&] {
            return gateOpen && (number != 0 || firstDone);
        });
        if (!inTime)
            hung = true;
        if (number == 1)
            firstDone = true;
        ++finished;
        changed.notify_all();
        return number;
    }
    std::optional<QSize> probeFrameSize(const QString &) override { return std::nullopt; }
    ProbeThreads threads() const override { return ProbeThreads::Any; }

    bool waitFor(const std::function<bool()> &condition)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, kBound, condition);
    }
    void openGate()
    {
        std::lock_guard<std::mutex> lock(mutex);
        gateOpen = true;
        changed.notify_all();
    }

    std::mutex mutex;
    std::condition_variable changed;
    bool gateOpen = true;
    bool firstDone = false;
    bool hung = false;
    int started = 0;
    int finished = 0;
};

}  // namespace

TEST(ProbeQueue, RowsComeInTheOrderOfTheFilesWhateverOrderTheyAreProbedIn)
{
    OrderingProber prober;
    ProbeQueue queue(prober, SourceRowMaker(SourceKind::Audio));
    ASSERT_TRUE(queue.onWorkerThreads());
    ASSERT_GE(ProbeQueue::workerCount(), 2);
    for (int i = 0; i < 12; ++i)
        queue.add(QStringLiteral("/media"), QString::number(i));
    EXPECT_EQ(queue.waiting(), 12);
    QStringList names;
    while (queue.waiting() > 0) {
        ASSERT_TRUE(queue.waitForNext(20000));
        const SourceRowMaker::Row row = queue.takeNext();
        ASSERT_EQ(row.outcome, SourceRowMaker::Outcome::Added);
        EXPECT_EQ(row.cells.value(2), row.cells.value(0));  // the length is the file's number
        names.append(row.cells.value(0));
    }
    EXPECT_EQ(names, (QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"}));
    EXPECT_FALSE(prober.hung);
}

TEST(ProbeQueue, CancelEndsWithTheFilesBeingProbedAndStartsNoOther)
{
    OrderingProber prober;
    prober.gateOpen = false;
    const int workers = ProbeQueue::workerCount();
    ProbeQueue queue(prober, SourceRowMaker(SourceKind::Audio));
    for (int i = 1; i <= 20; ++i)
        queue.add(QStringLiteral("/media"), QString::number(i));
    ASSERT_TRUE(prober.waitFor([&] { return prober.started == workers; }));

    std::thread stopper([&] { queue.cancel(); });
    const auto deadline = std::chrono::steady_clock::now() + kBound;
    while (!queue.isCancelled() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    prober.openGate();
    stopper.join();

    EXPECT_TRUE(queue.isCancelled());
    EXPECT_EQ(prober.started, workers);
    EXPECT_EQ(prober.finished, workers);
    EXPECT_EQ(queue.waiting(), 0);
    queue.add(QStringLiteral("/media"), QStringLiteral("21"));
    EXPECT_EQ(queue.waiting(), 0);
    EXPECT_FALSE(prober.hung);
}
