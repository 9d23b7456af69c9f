#pragma once

#include "app/library/SourceTable.h"

#include <QObject>

class DialogService;
class MediaProber;
class QLabel;
class SourceGrid;
struct MainControls;
struct WindowState;

// The user's row operations on the three source lists and the counters and
// captions kept with them: select, delete by double-click, clear by
// right-click, the fixed audio file, the picture range.
class SourceListOps : public QObject {
    Q_OBJECT
public:
    SourceListOps(MainControls &controls, WindowState &state, DialogService &dialogs,
                  MediaProber &prober, QObject *parent = nullptr);

    static QString countTag(SourceKind kind);
    static QString fixedAudioHint();

    SourceGrid *grid(SourceKind kind) const;
    QLabel *countLabel(SourceKind kind) const;
    int &selectedRow(SourceKind kind);

    void SelectRow(SourceKind kind);
    void DeleteRow(SourceKind kind);
    void ClearList(SourceKind kind);
    void ChooseFixedAudio();
    // Sets the fixed audio file captions (LNewAu, LAuLen).
    void setFixedAudio(const QString &path, const QString &lengthCaption);
    void RefreshPictureRange();
    // Appends a row, makes it current and visible, refreshes the count label
    // and the largest list count. Returns the new entry number.
    int AppendRow(SourceKind kind, const QStringList &cells);
    void RewindLists();
    void refreshCountLabel(SourceKind kind);
    // Recomputes the largest entry count and shows it in status panel 3.
    void refreshMaxListCount();

private:
    MainControls &m_controls;
    WindowState &m_state;
    DialogService &m_dialogs;
    MediaProber &m_prober;
};
