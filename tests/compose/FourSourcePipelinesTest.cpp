// Distinct source sets within a run, repeatable seeded runs, and the
// arguments of the one-pass composition, with a recording runner.
#include "ArgumentLists.h"
#include "ComposeBench.h"
#include "QtPrinters.h"
#include "app/compose/ComposerFactory.h"
#include "app/compose/UsedSourceSets.h"
#include "app/run/BatchRun.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using Pipeline = FourSourcePipeline;

// Makes outputs 1 to count with one composer, as a run does; gives the
// sorted names of the list's videos that each output read.
QList<QStringList> setsOfARun(ComposeBench &bench, int count)
{
    bench.settings.readNumbers();
    const std::unique_ptr<Composer> composer = MakeComposer(bench.environment);
    QList<QStringList> sets;
    for (int n = 1; n <= count; ++n) {
        const qsizetype before = bench.runner.argumentLists.size();
        OutputReport report;
        composer->compose(n, QDateTime::currentDateTime(), report);
        std::set<QString> names;
        for (const QStringList &arguments : bench.runner.argumentLists.mid(before))
            for (qsizetype i = 1; i < arguments.size(); ++i)
                if (arguments.at(i - 1) == QLatin1String("-i")
                    && arguments.at(i).startsWith(bench.sourceFolder))
                    names.insert(arguments.at(i).mid(bench.sourceFolder.size() + 1));
        sets.append(QStringList(names.begin(), names.end()));
    }
    return sets;
}

TEST(FourSourcePipelines, NoSetOfFourRepeatsWhileAnUnusedSetRemains)
{
    struct Case {
        Pipeline pipeline;
        int videos, outputs, distinct;
    };
    // Six videos give fifteen sets: the sixteenth output repeats one.
    const Case cases[] = {{Pipeline::CutsThenComposition, 5, 5, 5},
                          {Pipeline::OnePass, 5, 5, 5},
                          {Pipeline::CutsThenComposition, 7, 20, 20},
                          {Pipeline::OnePass, 6, 16, 15}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.videos << " videos, " << c.outputs << " outputs");
        ComposeBench bench;
        for (int i = 0; i < c.videos; ++i)
            bench.addVideo(QStringLiteral("v%1.mp4").arg(i), 160 + 16 * i, 120, QStringLiteral("3"));
        bench.settings.fourSourcePipeline = c.pipeline;
        bench.settings.lengthRule = LengthRule::FirstVideo;
        bench.setDraws({0.0});  // the plain draw would give one set every time
        const QList<QStringList> sets = setsOfARun(bench, c.outputs);
        EXPECT_TRUE(
            std::all_of(sets.begin(), sets.end(), [](const QStringList &s) { return s.size() == 4; }));
        EXPECT_EQ(std::set<QStringList>(sets.begin(), sets.begin() + c.distinct).size(), size_t(c.distinct));
    }
    // A long list: the next unused set is found without a walk over all sets.
    UsedSourceSets used(100000, 4);
    used.add({1, 2, 3, 4});
    EXPECT_EQ(used.nextUnused({99997, 99998, 99999, 100000}), (QVector<int>{1, 2, 3, 5}));
}

// The argument lists of a run of the batch with the real composers.
QList<QStringList> seededRun(Pipeline pipeline, quint64 seed, const QString &root)
{
    RecordingRunContext context;
    BatchRunRequest request;
    RunSettings &s = request.settings;
    s.maxText = QStringLiteral("4");
    s.randomLength = s.audioRandomStart = true;  // a random length, random audio, random starts
    s.randomLengthRangeText = QStringLiteral("1-2");
    s.audioRule = AudioRule::RandomAudio;
    s.fourSourcePipeline = pipeline;
    s.outputFolderText = root;
    s.readNumbers();
    for (int i = 0; i < 6; ++i) {
        QFile(root + QStringLiteral("/v%1.mp4").arg(i)).open(QIODevice::WriteOnly);
        request.videos.append({QStringLiteral("v%1.mp4").arg(i), root, QStringLiteral("160"),
                               QStringLiteral("120"), QString::number(3 + i)});
        request.audios.append({QStringLiteral("a%1.mp3").arg(i), root, QStringLiteral("30")});
    }
    request.workRoot = root + QStringLiteral("/work/");
    request.programFolder = QStringLiteral(ZARV_PROGRAM_DIR);
    FixedRandom unseeded({0.5});
    request.random = &unseeded;
    request.seed = seed;
    QList<QStringList> arguments;
    BatchRun(context, MakeComposer, [&](const QString &workspaceFolder, const QString &) {
        auto runner = std::make_unique<RecordingToolRunner>(workspaceFolder, context,
                                                            RecordingToolRunner::Execution::RecordOnly);
        runner->onStart = [&arguments](const QStringList &words) { arguments.append(words); };
        return runner;
    }).run(request);
    return arguments;
}

TEST(FourSourcePipelines, TheSameSeedGivesTheSameArgumentsAnotherSeedOthers)
{
    QTemporaryDir root;
    for (Pipeline pipeline : {Pipeline::CutsThenComposition, Pipeline::OnePass}) {
        const QList<QStringList> first = seededRun(pipeline, 7, root.path());
        EXPECT_GE(first.size(), 4);
        EXPECT_EQ(seededRun(pipeline, 7, root.path()), first);
        EXPECT_NE(seededRun(pipeline, 8, root.path()), first);
    }
}

TEST(FourSourcePipelines, OnePassReadsEverySourceAndTheSoundInOneRun)
{
    ComposeBench bench;
    // Draws 0,0,0,0 take a, b, c, d; the exchange pass makes it a, c, b, d.
    const QString a = bench.addVideo("a.mp4", 160, 120, "3"), b = bench.addVideo("b.mp4", 161, 121, "4");
    const QString c = bench.addVideo("c.mp4", 200, 150, "2"), d = bench.addVideo("d.flv", 240, 181, "5");
    const QString track = bench.addAudio("t.mp3", "10");
    bench.settings.lengthRule = LengthRule::FirstVideo;  // 3 s, the length of a
    bench.settings.fourSourcePipeline = Pipeline::OnePass;
    bench.settings.noSpace = false;
    bench.settings.fixedAudioText = track;
    bench.settings.fixedAudioLengthText = QStringLiteral("10秒");
    // b starts at 1 × 0.125, d at 2 × 0.5; canvas 400 x 301, grown to even.
    const QString inputs =
        QStringLiteral("-ss 0 -t 3 -i %1 -ss 0 -t 3 -i %2 -ss 0.125 -t 3 -i %3 -ss 1 -t 3 -i %4 "
                       "-filter_complex [%5:v]pad=400:302[a];[a][%6:v]overlay=200[b];"
                       "[b][%7:v]overlay=0:180[c];[c][%8:v]overlay=160:120");
    const QString tail = QStringLiteral("-y -q:v 0 -q:a 0 -t 3 -pix_fmt yuv420p ") + bench.writing(1);
    const std::pair<AudioRule, QString> cases[] = {
        {AudioRule::FirstVideo, inputs.arg(a, c, b, d).arg(0).arg(1).arg(2).arg(3) + ' ' + tail},
        // b is the first source longer than the length: its sound, read as its picture is.
        {AudioRule::LongestVideo,
         inputs.arg(a, c, b, d).arg(0).arg(1).arg(2).arg(3) + "[v] -map [v] -map 2:a? " + tail},
        // The 10 s track is cut to 3 s by the same run.
        {AudioRule::ChosenAudio, "-ss 0 -t 3 -i " + track + ' '
                                     + inputs.arg(a, c, b, d).arg(1).arg(2).arg(3).arg(4) + " -map 0:a "
                                     + tail},
    };
    for (const auto &[rule, expected] : cases) {
        SCOPED_TRACE(int(rule));
        bench.runner.forgetArguments();
        bench.settings.audioRule = rule;
        bench.setDraws({0, 0, 0, 0, 0.125, 0.5});
        EXPECT_EQ(bench.compose(1), OutputResult::Failed);  // nothing runs, so nothing is written
        EXPECT_ARGS(bench.runner.argumentLists, ArgumentsOf(QStringList{expected}));
    }
    // The usual way leaves a silent longest video silent too.
    bench.settings.fourSourcePipeline = Pipeline::CutsThenComposition;
    bench.settings.audioRule = AudioRule::LongestVideo;
    const auto playTool = bench.runner.onStart;
    bench.runner.onStart = [&playTool](const QStringList &words) {
        if (!words.constLast().endsWith(QStringLiteral("Audio.mp3")))  // the sound extraction writes nothing
            playTool(words);
    };
    bench.compose(1);
    EXPECT_TRUE(bench.runner.arguments.last().contains(QStringLiteral(" -an -y ")));
}

}  // namespace
