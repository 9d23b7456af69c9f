// Distinct source sets within a run, repeatable seeded runs, and the one-pass
// composition against the cut-then-compose one, with a recording runner.
#include "ComposeBench.h"
#include "QtPrinters.h"
#include "RecordingRunContext.h"
#include "app/compose/ComposerFactory.h"
#include "app/run/BatchRun.h"

#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

namespace {

using Pipeline = FourSourcePipeline;

// The list's videos that an argument list reads, as a sorted set of names.
QStringList videosRead(const ComposeBench &bench, const QStringList &arguments)
{
    QStringList names;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &path = arguments.at(i);
        if (arguments.at(i - 1) == QLatin1String("-i") && path.startsWith(bench.sourceFolder)
            && path.endsWith(QLatin1String(".mp4")))
            names.append(path.mid(bench.sourceFolder.size() + 1));
    }
    names.sort();
    names.removeDuplicates();
    return names;
}

// Makes outputs 1 to count with one composer, as one run does, and gives the
// set of videos each output read.
QList<QStringList> setsOfARun(ComposeBench &bench, int count)
{
    bench.settings.maxText = QString::number(count);
    bench.settings.readNumbers();
    const std::unique_ptr<Composer> composer = MakeComposer(bench.environment);
    QList<QStringList> sets;
    for (int n = 1; n <= count; ++n) {
        const qsizetype before = bench.runner.argumentLists.size();
        composer->compose(n, QDateTime::currentDateTime());
        QStringList set;
        for (qsizetype i = before; i < bench.runner.argumentLists.size(); ++i)
            set += videosRead(bench, bench.runner.argumentLists.at(i));
        set.sort();
        set.removeDuplicates();
        sets.append(set);
    }
    return sets;
}

int distinctCount(const QList<QStringList> &sets)
{
    std::set<QStringList> distinct(sets.begin(), sets.end());
    return int(distinct.size());
}

void addVideos(ComposeBench &bench, int count)
{
    for (int i = 0; i < count; ++i)
        bench.addVideo(QStringLiteral("v%1.mp4").arg(i), 160 + 16 * i, 120, QStringLiteral("3"));
}

TEST(FourSourcePipelines, NoSetOfFourRepeatsWhileAnUnusedSetRemains)
{
    struct Case {
        Pipeline pipeline;
        int videos;
        int outputs;
        int expectedDistinct;
    };
    const Case cases[] = {
        {Pipeline::CutsThenComposition, 5, 5, 5},
        {Pipeline::OnePass, 5, 5, 5},
        {Pipeline::CutsThenComposition, 7, 20, 20},
        // Six videos give fifteen sets: the sixteenth output repeats one.
        {Pipeline::OnePass, 6, 16, 15},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.videos << " videos, " << c.outputs << " outputs");
        ComposeBench bench;
        addVideos(bench, c.videos);
        bench.settings.fourSourcePipeline = c.pipeline;
        bench.settings.lengthRule = LengthRule::FirstVideo;
        // Every draw the same: the plain draw would give one set every time.
        bench.setDraws({0.0});
        const QList<QStringList> sets = setsOfARun(bench, c.outputs);
        for (const QStringList &set : sets)
            EXPECT_EQ(set.size(), 4) << set.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(distinctCount(sets), c.expectedDistinct);
        EXPECT_EQ(distinctCount(sets.mid(0, std::min(c.outputs, c.expectedDistinct))),
                  std::min(c.outputs, c.expectedDistinct));
    }
}

TEST(FourSourcePipelines, AFreshSetKeepsTheDrawnOneWhenItIsUnused)
{
    // Draws 0,0,0,0 then 0.9,... pick v0-v3 and then a set with the last
    // entries: the second draw is kept as drawn, not replaced.
    ComposeBench bench;
    addVideos(bench, 8);
    bench.settings.lengthRule = LengthRule::FirstVideo;
    bench.setDraws({0, 0, 0, 0, 1, 1, 1, 1});
    const QList<QStringList> sets = setsOfARun(bench, 2);
    EXPECT_EQ(sets.at(0), (QStringList{"v0.mp4", "v1.mp4", "v2.mp4", "v3.mp4"}));
    EXPECT_EQ(sets.at(1), (QStringList{"v4.mp4", "v5.mp4", "v6.mp4", "v7.mp4"}));
}

// A run of the batch with the real composers and a recording runner.
QList<QStringList> seededRun(Pipeline pipeline, std::optional<quint64> seed, const QString &root)
{
    RecordingRunContext context;
    BatchRunRequest request;
    request.settings.maxText = QStringLiteral("4");
    request.settings.lengthText = QStringLiteral("1.5");
    request.settings.randomLength = true;
    request.settings.randomLengthRangeText = QStringLiteral("1-2");
    request.settings.audioRule = AudioRule::RandomAudio;
    request.settings.audioRandomStart = true;
    request.settings.fourSourcePipeline = pipeline;
    request.settings.outputFolderText = root + QStringLiteral("/Out");
    request.settings.readNumbers();
    for (int i = 0; i < 6; ++i)
        request.videos.append({QStringLiteral("v%1.mp4").arg(i), root, QString::number(160 + 16 * i),
                               QStringLiteral("120"), QStringLiteral("%1.5").arg(3 + i)});
    for (int i = 0; i < 3; ++i)
        request.audios.append({QStringLiteral("a%1.mp3").arg(i), root, QStringLiteral("30")});
    request.workRoot = root + QStringLiteral("/work/");
    request.programFolder = QStringLiteral(ZARV_PROGRAM_DIR);
    request.toolName = QStringLiteral("CutSeed.exe");
    FixedRandom unseeded({0.5});
    request.random = &unseeded;
    request.seed = seed;
    QList<QStringList> arguments;
    BatchRun batch(context, MakeComposer, [&](const QString &workspaceFolder, const QString &) {
        auto runner = std::make_unique<RecordingToolRunner>(workspaceFolder, context,
                                                            RecordingToolRunner::Execution::RecordOnly);
        runner->onStart = [&arguments](const QStringList &words) { arguments.append(words); };
        return runner;
    });
    batch.run(request);
    return arguments;
}

TEST(FourSourcePipelines, TheSameSeedGivesTheSameArgumentsAnotherSeedOthers)
{
    QTemporaryDir root;
    for (int i = 0; i < 6; ++i)
        QFile(root.filePath(QStringLiteral("v%1.mp4").arg(i))).open(QIODevice::WriteOnly);
    for (Pipeline pipeline : {Pipeline::CutsThenComposition, Pipeline::OnePass}) {
        const QList<QStringList> first = seededRun(pipeline, 7, root.path());
        ASSERT_GE(first.size(), 4);
        EXPECT_EQ(seededRun(pipeline, 7, root.path()), first);
        EXPECT_NE(seededRun(pipeline, 8, root.path()), first);
    }
    // The two pipelines read the same sources, starts and sound for one seed.
    const QList<QStringList> cuts = seededRun(Pipeline::CutsThenComposition, 11, root.path());
    const QList<QStringList> onePass = seededRun(Pipeline::OnePass, 11, root.path());
    QStringList seeksOfCuts;
    for (const QStringList &arguments : cuts) {
        if (arguments.size() > 5 && arguments.at(0) == QLatin1String("-ss"))
            seeksOfCuts << arguments.mid(0, 6).join(QLatin1Char(' '));
    }
    QStringList seeksOfOnePass;
    for (const QStringList &arguments : onePass) {
        for (qsizetype i = 0; i + 5 < arguments.size(); ++i)
            if (arguments.at(i) == QLatin1String("-ss"))
                seeksOfOnePass << arguments.mid(i, 6).join(QLatin1Char(' '));
    }
    // Cut mode: four clip cuts, then the audio cut; one pass: the audio cut first, then the four.
    EXPECT_EQ(seeksOfOnePass.size(), seeksOfCuts.size());
    EXPECT_EQ(QSet<QString>(seeksOfOnePass.begin(), seeksOfOnePass.end()),
              QSet<QString>(seeksOfCuts.begin(), seeksOfCuts.end()));
}

class OnePassArgumentsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Draws 0,0,0,0 take a, b, c, d; the exchange pass makes it a, c, b, d.
        a = bench.addVideo(QStringLiteral("a.mp4"), 160, 120, QStringLiteral("3"));
        b = bench.addVideo(QStringLiteral("b.mp4"), 161, 121, QStringLiteral("4"));
        c = bench.addVideo(QStringLiteral("c.mp4"), 200, 150, QStringLiteral("2"));
        d = bench.addVideo(QStringLiteral("d.flv"), 240, 181, QStringLiteral("5"));
        bench.settings.lengthRule = LengthRule::FirstVideo;  // 3 s, the length of a
        bench.settings.fourSourcePipeline = Pipeline::OnePass;
        bench.settings.noSpace = false;
        bench.setDraws({0, 0, 0, 0, 0.125, 0.5});
    }
    QString inputs() const
    {
        // b starts at 1 × 0.125, d at 2 × 0.5; an FLV read from 0 would get no seek.
        return QStringLiteral("-ss 0 -t 3 -i %1 -ss 0 -t 3 -i %2 -ss 0.125 -t 3 -i %3 -ss 1 -t 3 -i %4")
            .arg(a, c, b, d);
    }
    // Canvas 400 x 301 (a + d both ways), grown to 400 x 302; corners.
    QString filter(int first) const
    {
        return QStringLiteral("-filter_complex [%1:v]pad=400:302[a];[a][%2:v]overlay=200[b];"
                              "[b][%3:v]overlay=0:180[c];[c][%4:v]overlay=160:120")
            .arg(first).arg(first + 1).arg(first + 2).arg(first + 3);
    }
    QString tail() const { return QStringLiteral("-y -q:v 0 -q:a 0 -pix_fmt yuv420p ") + bench.output(1); }

    ComposeBench bench;
    QString a, b, c, d;
};

TEST_F(OnePassArgumentsTest, OneRunPerOutputForEverySoundRule)
{
    const QString track = bench.addAudio(QStringLiteral("t.mp3"), QStringLiteral("10"));
    struct Case {
        AudioRule rule;
        QString expected;
    };
    const Case cases[] = {
        {AudioRule::FirstVideo, inputs() + ' ' + filter(0) + ' ' + tail()},
        // b is the first source longer than the length: its sound, read as its picture is.
        {AudioRule::LongestVideo, inputs() + ' ' + filter(0) + "[v] -map [v] -map 2:a? " + tail()},
        // A 10 s track is cut to 3 s by the same run (random start off: 0).
        {AudioRule::ChosenAudio, "-ss 0 -t 3 -i " + track + ' ' + inputs() + ' ' + filter(1) + " -map 0:a " + tail()},
        {AudioRule::FixedAudio, "-ss 0 -t 3 -i " + track + ' ' + inputs() + ' ' + filter(1) + " -map 0:a " + tail()},
        {AudioRule::RandomAudio, "-ss 0 -t 3 -i " + track + ' ' + inputs() + ' ' + filter(1) + " -map 0:a " + tail()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.rule));
        bench.runner.arguments.clear();
        bench.settings.audioRule = c.rule;
        bench.settings.fixedAudioText = track;
        bench.settings.fixedAudioLengthText = QStringLiteral("10秒");
        bench.setDraws({0, 0, 0, 0, 0.125, 0.5, 0});
        EXPECT_EQ(bench.compose(1), OutputResult::Failed);  // nothing runs, so nothing is written
        EXPECT_EQ(bench.runner.arguments, QStringList{c.expected});
    }
    // A short track is read as it is.
    bench.runner.arguments.clear();
    bench.runner.waits.clear();
    bench.settings.audioRule = AudioRule::ChosenAudio;
    bench.settings.fixedAudioLengthText = QStringLiteral("2秒");
    bench.setDraws({0, 0, 0, 0, 0.125, 0.5});
    bench.compose(1);
    EXPECT_EQ(bench.runner.arguments,
              QStringList{"-i " + track + ' ' + inputs() + ' ' + filter(1) + " -map 0:a " + tail()});
    EXPECT_EQ(bench.runner.waits.size(), 1);
    EXPECT_EQ(bench.runner.waits.at(0).pause, PauseFirst::Yes);
}

TEST_F(OnePassArgumentsTest, TheCutPipelineLeavesASilentLongestVideoSilent)
{
    bench.settings.fourSourcePipeline = Pipeline::CutsThenComposition;
    bench.settings.audioRule = AudioRule::LongestVideo;
    bench.runner.onStart = {};  // the extraction writes nothing: b has no sound
    bench.compose(1);
    ASSERT_FALSE(bench.runner.arguments.isEmpty());
    EXPECT_TRUE(bench.runner.arguments.last().contains(QStringLiteral(" -an -y ")))
        << bench.runner.arguments.last().toStdString();
}

}  // namespace
