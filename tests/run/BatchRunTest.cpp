// The batch run without a window: a scripted composer stands in for the
// composition modes, a recording runner for the tool.
#include "app/run/BatchRun.h"
#include "FixedRandom.h"
#include "RecordingRunContext.h"
#include "RecordingToolRunner.h"
#include "app/run/ComposeEnvironment.h"
#include "app/run/Workspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ScriptedRun {
    bool refusePreparation = false;
    QList<OutputResult> results;
    int stopDuringOutput = 0;  // the stop button is pressed while this output is made
    QString preparedFolder;
    QList<int> composed;
    QList<int> planned;
    QMap<int, double> firstDraws;  // by output, planned or composed
    QList<bool> statusShownWhilePlanned;
    QList<double> progressAtCompose;
    QStringList toolsFound;  // the tool file in the workspace, per output
    RecordingRunContext *context = nullptr;
};

// Plays a composition mode: gives the scripted results in turn (Done when
// they run out) and records what it saw.
class ScriptedComposer : public Composer {
public:
    ScriptedComposer(ComposeEnvironment &environment, ScriptedRun &script);
    bool prepare(Workspace &workspace) override;
    OutputResult compose(int outputNumber, const QDateTime &outputStart, OutputReport &report) override;
    bool plan(int outputNumber, OutputReport &report) override;

private:
    ComposeEnvironment &m_env;
    ScriptedRun &m_script;
};

ScriptedComposer::ScriptedComposer(ComposeEnvironment &environment, ScriptedRun &script)
    : m_env(environment),
      m_script(script)
{
}

bool ScriptedComposer::prepare(Workspace &workspace)
{
    m_script.preparedFolder = workspace.folder();
    return !m_script.refusePreparation;
}

bool ScriptedComposer::plan(int outputNumber, OutputReport &report)
{
    m_script.planned.append(outputNumber);
    m_script.firstDraws.insert(outputNumber, m_env.random.next());
    const qsizetype statuses = m_script.context->statuses.size();
    m_env.context.setStatus(QStringLiteral("状态：视频源随机抽取中...0/4"));
    m_script.statusShownWhilePlanned.append(m_script.context->statuses.size() != statuses);
    report.lengthSeconds = outputNumber;
    return true;
}

OutputResult ScriptedComposer::compose(int outputNumber, const QDateTime &, OutputReport &)
{
    m_script.composed.append(outputNumber);
    m_script.firstDraws.insert(outputNumber, m_env.random.next());
    m_script.progressAtCompose.append(
        m_script.context->progress.value(m_script.context->progress.size() - 1, -1));
    if (QFileInfo(m_env.workspacePath(QStringLiteral("CutTest.exe"))).isFile())
        m_script.toolsFound.append(m_env.workspaceFolder);
    if (outputNumber == m_script.stopDuringOutput) {
        m_script.context->stop = true;
        return OutputResult::Stopped;
    }
    return m_script.results.value(outputNumber - 1, OutputResult::Done);
}

class BatchRunTest : public ::testing::Test {
protected:
    BatchRunSummary run(int outputs, std::optional<quint64> seed = {}, std::optional<OutputRange> range = {})
    {
        script.context = &context;
        BatchRunRequest request;
        request.settings.maxText = QString::number(outputs);
        request.settings.readNumbers();
        request.workRoot = folder.path() + QStringLiteral("/work/");
        request.programFolder = QStringLiteral(ZARV_PROGRAM_DIR);
        request.toolName = QStringLiteral("CutTest.exe");
        request.random = &random;
        request.seed = seed;
        request.outputs = range;
        BatchRun batch(
            context,
            [this](ComposeEnvironment &environment) {
                return std::make_unique<ScriptedComposer>(environment, script);
            },
            [this](const QString &workspaceFolder, const QString &) {
                auto runner = std::make_unique<RecordingToolRunner>(
                    workspaceFolder, context, RecordingToolRunner::Execution::RecordOnly);
                runners.append(runner.get());
                return runner;
            });
        return batch.run(request);
    }
    QString workspaceFolder() const { return folder.path() + QStringLiteral("/work/Tmp"); }

    QTemporaryDir folder;
    RecordingRunContext context;
    FixedRandom random;
    ScriptedRun script;
    QList<RecordingToolRunner *> runners;
};

TEST_F(BatchRunTest, MakesEveryOutputWithProgressCountsAndCleansUp)
{
    script.results = {OutputResult::Done, OutputResult::Failed, OutputResult::Skipped};
    const BatchRunSummary summary = run(3);
    EXPECT_EQ(script.composed, (QList<int>{1, 2, 3}));
    ASSERT_EQ(script.progressAtCompose.size(), 3);
    EXPECT_NEAR(script.progressAtCompose[0], 33.33, 0.01);
    EXPECT_NEAR(script.progressAtCompose[1], 66.67, 0.01);
    EXPECT_EQ(script.progressAtCompose[2], 100.0);
    EXPECT_EQ(summary.done, 1);
    EXPECT_EQ(summary.failed, 1);
    EXPECT_EQ(summary.skipped, 1);
    EXPECT_FALSE(summary.stopped);
    EXPECT_FALSE(summary.refused);
    // Prepared once in the rebuilt workspace, which held the tool's copy.
    EXPECT_EQ(script.preparedFolder, workspaceFolder());
    EXPECT_EQ(script.toolsFound, QStringList(3, workspaceFolder()));
    EXPECT_EQ(context.statuses.first(), QStringLiteral("状态：临时文件清理中..."));
    ASSERT_EQ(runners.size(), 1);
    EXPECT_EQ(runners[0]->terminations, 1);
    EXPECT_FALSE(QFileInfo::exists(workspaceFolder()));
}

TEST_F(BatchRunTest, AStopDuringTheSecondOutputStartsNoThird)
{
    script.stopDuringOutput = 2;
    const BatchRunSummary summary = run(5);
    EXPECT_EQ(script.composed, (QList<int>{1, 2}));
    EXPECT_TRUE(summary.stopped);
    EXPECT_EQ(summary.done, 1);
    EXPECT_EQ(summary.failed, 0);
    EXPECT_EQ(runners[0]->terminations, 1);
    EXPECT_FALSE(QFileInfo::exists(workspaceFolder()));
}

TEST_F(BatchRunTest, ASeededSliceReplaysTheOutputsBeforeItQuietlyAndDrawsAsTheWholeBatch)
{
    run(5, 99);
    const QMap<int, double> whole = script.firstDraws;
    EXPECT_TRUE(script.planned.isEmpty());

    script = ScriptedRun();
    const BatchRunSummary summary = run(5, 99, OutputRange{3, 4});
    EXPECT_EQ(script.planned, (QList<int>{1, 2}));
    EXPECT_EQ(script.statusShownWhilePlanned, (QList<bool>{false, false}));
    EXPECT_EQ(script.composed, (QList<int>{3, 4}));
    QMap<int, double> firstFour = whole;
    firstFour.remove(5);
    EXPECT_EQ(script.firstDraws, firstFour);  // each of outputs 1 to 4 drawn alike
    ASSERT_EQ(summary.outputs.size(), 2);
    EXPECT_EQ(summary.outputs[0].outputNumber, 3);
    EXPECT_EQ(summary.outputs[1].result, OutputResult::Done);
    EXPECT_NE(whole.value(1), whole.value(2));
}

TEST_F(BatchRunTest, NoOutputsOrARefusedPreparationStillRebuildAndRemoveTheWorkspace)
{
    EXPECT_EQ(run(0).done, 0);
    EXPECT_TRUE(script.composed.isEmpty());
    EXPECT_EQ(script.preparedFolder, workspaceFolder());
    EXPECT_FALSE(QFileInfo::exists(workspaceFolder()));

    script.refusePreparation = true;
    const BatchRunSummary summary = run(4);
    EXPECT_TRUE(summary.refused);
    EXPECT_EQ(summary.failed, 4);
    EXPECT_TRUE(script.composed.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(workspaceFolder()));
}

TEST_F(BatchRunTest, AForeignFolderOfTheWorkspaceNameIsLeftAlone)
{
    QDir().mkpath(workspaceFolder());
    QFile keep(workspaceFolder() + QStringLiteral("/keep.txt"));
    ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
    keep.write("not the program's");
    keep.close();
    run(1);
    EXPECT_EQ(script.preparedFolder, workspaceFolder() + QStringLiteral("1"));
    EXPECT_TRUE(QFileInfo::exists(workspaceFolder() + QStringLiteral("/keep.txt")));
    EXPECT_FALSE(QFileInfo::exists(workspaceFolder() + QStringLiteral("1")));
}

}  // namespace
