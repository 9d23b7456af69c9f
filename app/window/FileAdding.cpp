#include "app/window/FileAdding.h"

#include "app/window/MainControls.h"

#include <QPushButton>

FileAdding::FileAdding(MainControls &controls, WindowState &state, DialogService &dialogs,
                       MediaProber &prober, SourceListOps &lists, QObject *parent)
    : QObject(parent), m_controls(controls), m_state(state), m_dialogs(dialogs), m_prober(prober),
      m_lists(lists)
{
    connect(m_controls.CmdAddFiles, &QPushButton::clicked, this, &FileAdding::AddFiles);
    connect(m_controls.CmdPath, &QPushButton::clicked, this, &FileAdding::ChooseFolder);
    connect(m_controls.CmdReadFiles, &QPushButton::clicked, this, &FileAdding::LoadFolder);
}

void FileAdding::AddFiles() {}
void FileAdding::ChooseFolder() {}
void FileAdding::LoadFolder() {}
