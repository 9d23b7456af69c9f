#pragma once

#include "app/compose/ImageLibrary.h"
#include "app/update/VersionCheck.h"
#include "app/window/MainControls.h"
#include "app/window/WindowServices.h"
#include "app/window/WindowState.h"

#include <QMainWindow>

class FileAdding;
class OptionRules;
class RunDriver;
class SourceListOps;

// The main window: builds the named controls and hands their events to the
// controllers that hold the rules.
class FFmain : public QMainWindow {
    Q_OBJECT
public:
    explicit FFmain(const WindowServices &services, QWidget *parent = nullptr);
    ~FFmain() override;

    static QString windowTitleText() { return QStringLiteral("四分屏视频批量编辑器"); }

    MainControls &controls() { return m_controls; }
    WindowState &state() { return m_state; }
    const WindowServices &services() const { return m_services; }
    SourceListOps &lists() { return *m_lists; }
    OptionRules &options() { return *m_options; }
    FileAdding &adding() { return *m_adding; }
    RunDriver &runDriver() { return *m_run; }
    // The picture work of the painting modes, from start-up to close.
    ImageLibrary &images() { return m_images; }


    void setStatusText(const QString &text);
    QString statusText() const;

    // Start state, folders and the version check (which goes on in the
    // background); run once by the constructor.
    void FormLoad();
    // The close question; cancel is set when the window is to stay open.
    void FormUnload(bool &cancel);
    void FormTerminate();
    // The update button.
    void UpdateProgram();
    // Waits, keeping the window responsive, until the version check started
    // at load has ended (bounded by the check's time limit).
    void awaitVersionCheck();
    VersionCheck::Verdict versionVerdict() const;

signals:
    // A status text other than the one shown before.
    void statusTextChanged(const QString &text);
    // The restarter took over: the program must end at once, without the
    // close question.
    void programEndRequested();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildUi();
    void onVersionVerdict(VersionCheck::Verdict verdict);

    WindowServices m_services;
    MainControls m_controls;
    WindowState m_state;
    ImageLibrary m_images;
    SourceListOps *m_lists = nullptr;
    OptionRules *m_options = nullptr;
    FileAdding *m_adding = nullptr;
    RunDriver *m_run = nullptr;
    VersionCheck *m_versionCheck = nullptr;
    bool m_handedOver = false;
};
