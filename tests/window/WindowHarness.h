#pragma once

// A main window built for tests: scripted dialogs, a prober that can stand in
// values for chosen files, fixed random numbers and a private temporary
// workspace and data folder; no version check unless an update server is given.

#include "FixedRandom.h"
#include "ScriptedDialogs.h"
#include "ScriptedProber.h"
#include "app/window/FFmain.h"
#include "app/window/SourceGrid.h"

#include <QApplication>
#include <QTemporaryDir>

#include <memory>

template <typename Prober = ScriptedProber>
struct BasicWindowHarness {
    explicit BasicWindowHarness(const QUrl &updateBaseUrl = QUrl(),
                                const QString &programFolder = QStringLiteral(ZARV_PROGRAM_DIR))
    {
        services.updateBaseUrl = updateBaseUrl;
        services.dialogs = &dialogs;
        services.prober = &prober;
        services.random = &random;
        services.programFolder = programFolder;
        services.workRoot = folder.path() + QStringLiteral("/work/");
        services.dataFolder = folder.path() + QStringLiteral("/data/");
        window = std::make_unique<FFmain>(services);
        window->show();
        QApplication::processEvents();
    }

    template <typename T>
    T *find(const char *name) const
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }

    MainControls &c() { return window->controls(); }

    QTemporaryDir folder;
    ScriptedDialogs dialogs;
    Prober prober;
    FixedRandom random;
    WindowServices services;
    std::unique_ptr<FFmain> window;
};

using WindowHarness = BasicWindowHarness<>;
