#pragma once

#include "RecordingRunContext.h"
#include "RecordingToolRunner.h"
#include "app/run/ComposeEnvironment.h"
#include "app/run/OutputReport.h"
#include "tests/support/FixedRandom.h"

#include <QDateTime>
#include <QTemporaryDir>

// One composition set-up in a temporary folder: a workspace "Tmp", an output
// folder "Out", a source folder "src", the three lists, the recording
// runner and context and scripted draws; compose() takes the settings'
// numbers from their texts and asks the composer the run would choose.
class ComposeBench {
public:
    explicit ComposeBench(
        RecordingToolRunner::Execution execution = RecordingToolRunner::Execution::RecordOnly);

    // Adds a video row; the file is created empty when it does not exist yet,
    // so the composer finds it (its content matters only for real runs).
    QString addVideo(const QString &name, int width, int height, const QString &durationText);
    // Adds an audio row, creating an empty file likewise.
    QString addAudio(const QString &name, const QString &durationText);
    // Makes the pictures of MediaFactory::makePictureSet and lists them.
    bool addPictureSet();

    QString source(const QString &name) const { return sourceFolder + QLatin1Char('/') + name; }
    QString work(const QString &name) const { return workspace + QLatin1Char('/') + name; }
    QString output(int number) const;
    // Where the tool writes an output until it is complete.
    QString writing(int number) const;
    OutputResult compose(int outputNumber);
    // What the composer wrote about the last output compose() made.
    OutputReport lastReport;
    void setDraws(QVector<double> values) { random = FixedRandom(std::move(values)); }

    QTemporaryDir folder;
    QString workspace;
    QString outputFolder;
    QString sourceFolder;

    RunSettings settings;
    SourceTable videos{SourceKind::Video};
    SourceTable audios{SourceKind::Audio};
    SourceTable pictures{SourceKind::Picture};
    RecordingRunContext context;
    RecordingToolRunner runner;
    FixedRandom random;
    ComposeEnvironment environment;
};
