// One seeded batch made whole, in two slices through GNU parallel and with
// --jobs 2: every file must come out byte for byte the same, the plan must
// name what the whole run used, and the report must read back.
#include "MediaFactory.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString Program = QStringLiteral(ZARV_PROGRAM_DIR "/ZarvMulVideoEditor");

class SlicedBatchTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        media = new QTemporaryDir;
        QDir().mkpath(media->filePath("videos"));
        QDir().mkpath(media->filePath("audios"));
        // Nine: a slide show draws at least eight.
        for (int i = 0; i < 9; ++i)
            ASSERT_TRUE(MediaFactory::makeVideo(media->filePath(QStringLiteral("videos/clip%1.mp4").arg(i)),
                                                96, 64, 1.2 + 0.1 * i));
        for (int i = 0; i < 2; ++i)
            ASSERT_TRUE(
                MediaFactory::makeAudio(media->filePath(QStringLiteral("audios/sound%1.mp3").arg(i)), 4));
    }
    static void TearDownTestSuite()
    {
        delete media;
        media = nullptr;
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CACHE_HOME", home.filePath("cache"));
        env.insert("XDG_DATA_HOME", home.filePath("data"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("ZARV_UPDATE_URL", "");
        return env;
    }

    struct Result {
        int exitCode = -1;
        QByteArray out;
        QString err;
    };
    Result run(const QString &program, const QStringList &arguments)
    {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForStarted()) << program.toStdString();
        EXPECT_TRUE(process.waitForFinished(300000));
        return {process.exitCode(), process.readAllStandardOutput(),
                QString::fromUtf8(process.readAllStandardError())};
    }

    // The job of the batch, writing into its own output folder.
    QString job(const QString &settings, const QString &way)
    {
        const QString output = home.filePath(way);
        QDir().mkpath(output);
        const QString path = home.filePath(way + ".job");
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(("videos=" + media->filePath("videos") + "\naudios=" + media->filePath("audios") + "\n"
                    + settings + "TMax=4\noutput=" + output + "\n")
                       .toUtf8());
        return path;
    }

    QMap<QString, QByteArray> checksums(const QString &way) const
    {
        QMap<QString, QByteArray> sums;
        const QDir folder(home.filePath(way));
        for (const QString &name : folder.entryList(QDir::Files)) {
            QFile file(folder.filePath(name));
            file.open(QIODevice::ReadOnly);
            sums.insert(name, QCryptographicHash::hash(file.readAll(), QCryptographicHash::Md5).toHex());
        }
        return sums;
    }

    static QJsonObject read(const QByteArray &json) { return QJsonDocument::fromJson(json).object(); }
    static QJsonObject readFile(const QString &path)
    {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return read(file.readAll());
    }

    // The records without what only a run knows (its state and reason).
    static QJsonArray draws(const QJsonObject &report)
    {
        QJsonArray records;
        for (const QJsonValue &value : report["records"].toArray()) {
            QJsonObject record = value.toObject();
            record.remove("state");
            record.remove("reason");
            records.append(record);
        }
        return records;
    }

    void checkEveryWay(const QString &settings, const QStringList &extra, int soundsPerOutput);

    static QTemporaryDir *media;
    QTemporaryDir home;
};

QTemporaryDir *SlicedBatchTest::media = nullptr;

void SlicedBatchTest::checkEveryWay(const QString &settings, const QStringList &extra, int sourcesPerOutput)
{
    const QStringList seed{"--seed", "4242"};
    // Planned first: into the folder as the run will find it.
    const Result plan = run(Program, QStringList{"--batch", job(settings, "whole"), "--plan"} + seed + extra);
    ASSERT_EQ(plan.exitCode, 0) << plan.err.toStdString();
    const Result whole = run(Program, QStringList{"--batch", job(settings, "whole")} + seed + extra
                                          + QStringList{"--report", home.filePath("whole.json")});
    ASSERT_EQ(whole.exitCode, 0) << whole.err.toStdString();
    const QMap<QString, QByteArray> expected = checksums("whole");
    ASSERT_EQ(expected.keys(), (QStringList{"0001.mp4", "0002.mp4", "0003.mp4", "0004.mp4"}));

    // Two slices through GNU parallel, side by side, into one folder.
    const QString slicedJob = job(settings, "sliced");
    const Result sliced = run("parallel", QStringList{"-q", "-j2", Program, "--batch", slicedJob} + seed
                                              + extra + QStringList{"--outputs", "{}", ":::", "1-2", "3-4"});
    ASSERT_EQ(sliced.exitCode, 0) << "GNU parallel (Debian package parallel) is needed: "
                                  << sliced.err.toStdString();
    EXPECT_EQ(checksums("sliced"), expected);

    const Result jobs = run(Program, QStringList{"--batch", job(settings, "jobs"), "--jobs", "2"} + seed
                                         + extra + QStringList{"--report", home.filePath("jobs.json")});
    ASSERT_EQ(jobs.exitCode, 0) << jobs.err.toStdString();
    EXPECT_EQ(checksums("jobs"), expected);

    // The plan names what the whole run used; so does the report of --jobs.
    const QJsonObject report = readFile(home.filePath("whole.json"));
    EXPECT_EQ(draws(read(plan.out)), draws(report)) << plan.out.toStdString();
    QJsonArray jobsDraws = draws(readFile(home.filePath("jobs.json")));
    for (QJsonValueRef record : jobsDraws) {
        QJsonObject r = record.toObject();
        r["file"] = r["file"].toString().replace("/jobs/", "/whole/");
        record = r;
    }
    EXPECT_EQ(jobsDraws, draws(report));

    // The report, field by field.
    EXPECT_EQ(report["seed"].toString(), "4242");
    EXPECT_EQ(report["outputs"].toString(), "1-4");
    EXPECT_EQ(report["settings"].toObject()["TMax"].toString(), "4");
    EXPECT_EQ(report["totals"].toObject()["made"].toInt(), 4);
    EXPECT_EQ(report["totals"].toObject()["failed"].toInt(), 0);
    const QJsonArray records = report["records"].toArray();
    ASSERT_EQ(records.size(), 4);
    for (int n = 1; n <= 4; ++n) {
        SCOPED_TRACE(n);
        const QJsonObject record = records.at(n - 1).toObject();
        EXPECT_EQ(record["number"].toInt(), n);
        EXPECT_EQ(QDir::cleanPath(record["file"].toString()).toStdString(),
                  home.filePath(QStringLiteral("whole/%1.mp4").arg(n, 4, 10, QChar('0'))).toStdString());
        EXPECT_EQ(record["state"].toString(), "made");
        EXPECT_EQ(record["reason"].toString(), "");
        const double length = record["length"].toDouble();
        EXPECT_NEAR(MediaFactory::probe(record["file"].toString()).durationSeconds, length, 0.15);
        const QJsonArray sources = record["sources"].toArray();
        EXPECT_EQ(sources.size(), sourcesPerOutput);
        for (const QJsonValue &source : sources) {
            const QString path = source["path"].toString();
            EXPECT_TRUE(path.startsWith(media->filePath("videos/clip"))) << path.toStdString();
            EXPECT_GE(source["start"].toDouble(), 0);
            EXPECT_LT(source["start"].toDouble(), MediaFactory::probe(path).durationSeconds);
        }
        EXPECT_TRUE(QFile::exists(record["sound"].toString())) << record["sound"].toString().toStdString();
    }
}

TEST_F(SlicedBatchTest, FourSourceBatch)
{
    // A random audio, started at random, and sources cut at random starts.
    checkEveryWay("CmbLen=2\nCmbAudio=3\nChAuRnd=1\n", {}, 4);
}

TEST_F(SlicedBatchTest, OnePassBatch)
{
    checkEveryWay("CmbLen=2\nCmbAudio=1\n", {"--one-pass"}, 4);
}

TEST_F(SlicedBatchTest, SlideShowBatch)
{
    // Eight of the nine videos (nine sets), a frame grabbed from each at a random offset.
    checkEveryWay("ChPPT=1\nTVedio=8\nTPics=1\nTPlay=1\nCmbSize=160x120\nCmbAudio=3\n", {}, 8);
}

TEST_F(SlicedBatchTest, BadSlicesAndReportsAreRefused)
{
    const QString settings = "TLen=1\n";
    Result r = run(Program, {"--batch", job(settings, "whole"), "--outputs", "3-9"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("超出了输出数量（共4个）")) << r.err.toStdString();
    r = run(Program, {"--batch", job(settings, "whole"), "--outputs", "4-2"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("--outputs应写成")) << r.err.toStdString();
    // A file that is not a report of this program is never replaced.
    QFile other(home.filePath("notes.txt"));
    other.open(QIODevice::WriteOnly);
    other.write("my notes");
    other.close();
    r = run(Program, {"--batch", job(settings, "whole"), "--report", other.fileName()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("不会覆盖")) << r.err.toStdString();
    EXPECT_TRUE(QDir(home.filePath("whole")).isEmpty());
    // Without a seed one is drawn, printed, and makes the plan again.
    r = run(Program, {"--batch", job(settings, "whole"), "--plan"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString seed = read(r.out)["seed"].toString();
    EXPECT_TRUE(r.err.contains("随机种子：" + seed)) << r.err.toStdString();
    EXPECT_EQ(run(Program, {"--batch", job(settings, "whole"), "--plan", "--seed", seed}).out, r.out);
}

}  // namespace
